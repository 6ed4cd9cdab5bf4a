// Our own INI engine behind the profile seam, answering as Windows' profile calls do.
#pragma once

#include <cstdint>
#include <filesystem>

#include "settings/profile_api.h"

namespace qrvl {

// Reads and writes INI files the way kernel32's profile calls do, with a few differences that
// keep files safe. A write is atomic: the new file is written beside the old one and renamed over
// it, so a crash leaves either file whole; and every line that the write does not change keeps its
// bytes, including its line ending. A write that would split into extra lines (a line break in
// a name or a text) or land on another key (a key with "=", or one that reads as a header) is
// refused with 0, and so is any change to a UTF-16 file, which is read like any other but which
// Windows alone writes back whole in UTF-16. Texts and file names are UTF-8; names match without
// regard to ASCII case.
class PortableProfileEngine : public ProfileApi {
  public:
    PortableProfileEngine() = default;

    const TextCodec& codec() const override;

    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultText, char* buffer,
                                           std::uint32_t size, const char* fileName) override;

    std::int32_t WritePrivateProfileStringA(const char* section, const char* key, const char* text,
                                            const char* fileName) override;

  protected:
    // The last step of a write: puts the finished temporary file in place of the target. False
    // (or an exception) means the target was not replaced; the engine then removes the temporary
    // file and reports failure. Tests override it to stop a write at its most delicate moment.
    virtual bool replaceFile(const std::filesystem::path& temporary,
                             const std::filesystem::path& target);
};

}  // namespace qrvl
