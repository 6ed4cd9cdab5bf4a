// Standard output for a GUI-subsystem exe: lines of any script, to a console or to a pipe or file.
#pragma once

#include <string>

namespace qrvl::win32 {

// To a console through WriteConsoleW, so that every script shows; otherwise as UTF-8 without a
// byte-order mark, each line ended by "\n", written in large pieces. Standard output that is
// missing (a GUI program started from a console without redirection) falls back to the parent's
// console. Lines are lost only when there is nowhere to write them.
class OutputLines {
  public:
    OutputLines();
    ~OutputLines();
    OutputLines(const OutputLines&) = delete;
    OutputLines& operator=(const OutputLines&) = delete;

    void write(const std::wstring& line);
    void flush();

  private:
    void* handle_ = nullptr;
    void* opened_ = nullptr;
    bool console_ = false;
    std::string pending_;
};

}  // namespace qrvl::win32
