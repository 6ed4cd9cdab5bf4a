// Arbitrary INI files and sequences of profile reads, writes and deletes against the portable
// engine.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "settings/portable_profile_engine.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFolderPrefix = "qrvl_profile_fuzz_";

// libFuzzer ends a run with _Exit, so a folder outlives its process; the next run clears the
// folders of processes that are gone.
void removeStaleFolders() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), error)) {
        const auto name = entry.path().filename().string();
        if (name.rfind(kFolderPrefix, 0) == 0 &&
            !fs::exists("/proc/" + name.substr(kFolderPrefix.size()), error)) {
            fs::remove_all(entry.path(), error);
        }
    }
}

// Every fuzzing process (libFuzzer may run several) gets a folder of its own.
const fs::path& scratch() {
    static const fs::path folder = [] {
        removeStaleFolders();
        auto path =
            fs::temp_directory_path() / (std::string(kFolderPrefix) + std::to_string(getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

std::optional<std::string> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string_view trim(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r\x1A";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// What a value written as text reads back as: blanks around it and one pair of quotes go.
std::string readsBackAs(std::string_view text) {
    text = trim(text);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.front() == text.back()) {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

// Names that meet each other often enough to hit existing sections and keys.
std::optional<std::string> name(FuzzedDataProvider& input) {
    static const char* const common[] = {"S",   "s",    " S ", "T",     "",    "[x]",
                                         "a]b", ";c",   "k",   "K",     "k ",  "#h",
                                         "=",   "noeq", "x\n", "\"q\"", "x\r", "\x1Ak"};
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return std::nullopt;
        case 1:
            return input.ConsumeRandomLengthString(24);
        default:
            return std::string(input.PickValueInArray(common));
    }
}

const char* text(const std::optional<std::string>& value) {
    return value ? value->c_str() : nullptr;
}

void checkRead(qrvl::ProfileApi& api, const char* section, const char* key, const char* fallback,
               std::uint32_t size, const std::string& file) {
    std::string buffer(size + 1, '#');
    const auto count =
        api.GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
    require(buffer[size] == '#');
    require(size == 0 ? count == 0 : count < size && buffer[count] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto path = scratch() / "f.ini";
    const auto file = path.string();
    std::error_code error;
    fs::remove(path, error);
    if (input.ConsumeBool()) {
        std::ofstream(path, std::ios::binary) << input.ConsumeRandomLengthString(4096);
    }

    qrvl::PortableProfileEngine engine;
    for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
        const auto op = input.ConsumeIntegralInRange(0, 3);
        const auto section = name(input);
        const auto key = name(input);
        if (op == 0) {
            const auto fallback = name(input);
            checkRead(engine, text(section), text(key), text(fallback),
                      input.ConsumeIntegralInRange<std::uint32_t>(0, 300), file);
            continue;
        }
        std::optional<std::string> value;
        if (op == 1) {
            value = input.ConsumeRandomLengthString(64);
        }
        const auto before = fileBytes(path);
        const auto written =
            engine.WritePrivateProfileStringA(text(section), text(key), text(value), file.c_str());
        // Whatever happened, only the file itself is in the folder: no temporary file stays.
        std::size_t entries = 0;
        for (auto it = fs::directory_iterator(scratch()); it != fs::directory_iterator(); ++it) {
            ++entries;
        }
        require(entries <= 1);
        if (written == 0) {
            require(fileBytes(path) == before);
            continue;
        }
        // A key spelt with a byte-order mark, first in a new file (a nameless section), makes the
        // file read back as UTF-16, or loses its mark as UTF-8 does, by Windows as by us.
        const auto after = fileBytes(path);
        const bool startsWithMark = after && (after->rfind("\xFF\xFE", 0) == 0 ||
                                              after->rfind("\xFE\xFF", 0) == 0 ||
                                              after->rfind("\xEF\xBB\xBF", 0) == 0);
        if (value && key && section && !startsWithMark) {
            // The value just written is what the file now gives for that key.
            std::string buffer(8192, '\0');
            const auto count = engine.GetPrivateProfileStringA(section->c_str(), key->c_str(), "",
                                                               buffer.data(), 8192, file.c_str());
            require(std::string(buffer.data(), count) == readsBackAs(value->c_str()));
        }
    }
    return 0;
}
