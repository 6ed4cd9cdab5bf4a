// The About window's load, "&Ok" and the two links.
#include "ui/about.h"

namespace qrvl {

frmAbout::frmAbout(ShellApi& shell, AboutHost& host)
    : Command2(about_text::kOk),
      Label11(about_text::kLabel11),
      Label13(about_text::kLabel13),
      shell_(shell),
      host_(host) {
    Command2.Click = [this] { Command2_Click(); };
    Label11.Click = [this] { Label11_Click(); };
    Label13.Click = [this] { Label13_Click(); };
}

void frmAbout::Form_Load() {
    host_.Icon(host_.MainWindowIcon());
    Label10.Caption(about_text::kVersionLine);
}

void frmAbout::Command2_Click() {
    host_.Unload();
}

void frmAbout::Label11_Click() {
    start(about_text::kWebCommand);
}

void frmAbout::Label13_Click() {
    start(about_text::kMailCommand);
}

void frmAbout::start(const wchar_t* commandLine) {
    const std::string bytes = shell_.codec().encode(commandLine);
    shell_.WinExec(bytes.c_str(), kSwShowMinimized);
}

}  // namespace qrvl
