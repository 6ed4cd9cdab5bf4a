// An in-memory stand-in for the profile calls that records every call, for CINI's unit tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/text_codec.h"
#include "settings/profile_api.h"
#include "tests/latin1_codec.h"

namespace qrvl::test {

// Files hold ordered sections of ordered keys; names match exactly. Reads answer as the
// Windows calls do, including how they cut values and lists that do not fit the buffer.
class FakeProfileApi final : public ProfileApi {
  public:
    struct Call {
        bool write = false;
        std::optional<std::string> section, key, text;  // empty optional: an absent argument
        std::uint32_t size = 0;
        std::string file;
    };
    using Keys = std::vector<std::pair<std::string, std::string>>;
    using Sections = std::vector<std::pair<std::string, Keys>>;

    explicit FakeProfileApi(const TextCodec& codec = utf8Codec()) : codec_(codec) {}

    const TextCodec& codec() const override { return codec_; }

    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultText, char* buffer,
                                           std::uint32_t size, const char* fileName) override {
        calls.push_back({false, opt(section), opt(key), opt(defaultText), size, fileName});
        if (size == 0) {
            return 0;
        }
        if (section != nullptr && key != nullptr) {
            const std::string* found = findKey(fileName, section, key);
            std::string value = found ? *found : (defaultText ? defaultText : "");
            const std::size_t n = value.size() < size ? value.size() : cutTo(size, valueCutMark);
            std::memcpy(buffer, value.data(), n);
            buffer[n] = '\0';
            return static_cast<std::uint32_t>(n);
        }
        std::string list;
        if (listAnswer) {
            list = *listAnswer;
        } else if (section == nullptr) {
            for (const auto& [name, keys] : files[fileName]) {
                list += name + '\0';
            }
        } else if (Keys* keys = findSection(fileName, section)) {
            for (const auto& [name, value] : *keys) {
                list += name + '\0';
            }
        }
        if (list.size() + 1 <= size) {
            std::memcpy(buffer, list.data(), list.size());
            buffer[list.size()] = '\0';
            return static_cast<std::uint32_t>(list.size());
        }
        const std::uint32_t n = cutTo(size, listCutMark);
        std::memcpy(buffer, list.data(), n);
        std::memset(buffer + n, 0, size - n);
        return n;
    }

    std::int32_t WritePrivateProfileStringA(const char* section, const char* key, const char* text,
                                            const char* fileName) override {
        calls.push_back({true, opt(section), opt(key), opt(text), 0, fileName});
        if (writeResult == 0 || section == nullptr) {
            return 0;
        }
        Sections& file = files[fileName];
        auto s = std::find_if(file.begin(), file.end(),
                              [&](const auto& entry) { return entry.first == section; });
        if (key == nullptr) {
            if (s != file.end()) {
                file.erase(s);
            }
            return writeResult;
        }
        if (s == file.end()) {
            if (text == nullptr) {
                return writeResult;
            }
            s = file.insert(file.end(), {section, {}});
        }
        Keys& keys = s->second;
        auto k = std::find_if(keys.begin(), keys.end(),
                              [&](const auto& entry) { return entry.first == key; });
        if (text == nullptr) {
            if (k != keys.end()) {
                keys.erase(k);
            }
        } else if (k != keys.end()) {
            k->second = text;
        } else {
            keys.emplace_back(key, text);
        }
        return writeResult;
    }

    // The writes made, as "section/key=text" ("-" for an absent key or text), in order.
    std::vector<std::string> writes() const {
        std::vector<std::string> out;
        for (const Call& c : calls) {
            if (c.write) {
                out.push_back(c.section.value_or("-") + "/" + c.key.value_or("-") + "=" +
                              c.text.value_or("-"));
            }
        }
        return out;
    }

    const std::string* findKey(const std::string& file, const std::string& section,
                               const std::string& key) {
        Keys* keys = findSection(file, section);
        if (keys == nullptr) {
            return nullptr;
        }
        for (const auto& [name, value] : *keys) {
            if (name == key) {
                return &value;
            }
        }
        return nullptr;
    }

    std::map<std::string, Sections> files;
    std::vector<Call> calls;
    std::int32_t writeResult = 1;           // what every write returns; 0 refuses the write
    std::optional<std::string> listAnswer;  // when set, every name list read answers this text
    // A read that does not fit reports size minus this: 1 and 2 as documented; more where a
    // multi-byte character was dropped at the cut, 1 for lists as Wine does in double-byte code
    // pages.
    std::uint32_t valueCutMark = 1;
    std::uint32_t listCutMark = 2;

  private:
    static std::uint32_t cutTo(std::uint32_t size, std::uint32_t mark) {
        return size > mark ? size - mark : 0;
    }
    static std::optional<std::string> opt(const char* s) {
        return s ? std::optional<std::string>(s) : std::nullopt;
    }

    Keys* findSection(const std::string& file, const std::string& section) {
        for (auto& [name, keys] : files[file]) {
            if (name == section) {
                return &keys;
            }
        }
        return nullptr;
    }

    const TextCodec& codec_;
};

}  // namespace qrvl::test
