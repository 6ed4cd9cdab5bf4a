// The About window's texts and behaviour; ui/win32 draws it and forwards its events here.
#pragma once

#include "ui/controls.h"
#include "ui/res/version.h"
#include "ui/shell_api.h"

namespace qrvl {

// Every text the About window shows or starts, in one place.
namespace about_text {
inline constexpr wchar_t kCaption[] = L"About Quorvel picker";
inline constexpr wchar_t kFrame1[] = L"Info";
// Label10, set on load: "Quorvel picker V. 1.00 A".
inline constexpr wchar_t kVersionLine[] = L"" QRVL_PRODUCT_NAME " V. " QRVL_VERSION_TEXT " A";
inline constexpr wchar_t kLabel1[] = L"Idea:      Quorvel team";  // only "Idea:" shows
inline constexpr wchar_t kLabel7[] = L"Quorvel team";
inline constexpr wchar_t kLabel2[] = L"Making:   Developers";  // only "Making:" shows
inline constexpr wchar_t kLabel8[] = L"Developers";
inline constexpr wchar_t kLabel3[] = L"Testing:  Quorvel testers";
inline constexpr wchar_t kLabel4[] = L"Map players";
inline constexpr wchar_t kLabel9[] = L"Other:     Quorvel community site";
inline constexpr wchar_t kLabel6[] = L"Website:";
inline constexpr wchar_t kLabel11[] = L"www.quorvel.example";  // the web link
inline constexpr wchar_t kLabel12[] = L"Contact:";
inline constexpr wchar_t kLabel13[] = L"picker@quorvel.example";  // the e-mail link
inline constexpr wchar_t kOk[] = L"&Ok";
inline constexpr wchar_t kLabelFont[] = L"Comic Sans MS";
// What the two links start, shown minimised with focus.
inline constexpr wchar_t kWebCommand[] = L"explorer.exe http://www.quorvel.example/";
inline constexpr wchar_t kMailCommand[] = L"explorer.exe mailto:picker@quorvel.example";
}  // namespace about_text

// What the About window needs from its real window.
class AboutHost {
  public:
    virtual ~AboutHost() = default;
    // The main window's icon, which the About window wears as its own.
    virtual IconHandle MainWindowIcon() = 0;
    virtual void Icon(IconHandle icon) = 0;
    // Unloads the window, which ends its modal display.
    virtual void Unload() = 0;
};

// One loaded About window: built when it opens, dropped when it unloads, so each opening runs
// Form_Load afresh. The link handlers do not look at whether the program started.
class frmAbout {
  public:
    frmAbout(ShellApi& shell, AboutHost& host);

    void Form_Load();
    void Command2_Click();
    void Label11_Click();
    void Label13_Click();

    Label Label10;     // the version line: empty until Form_Load
    Command Command2;  // "&Ok"
    Command Label11;   // the web link
    Command Label13;   // the e-mail link

  private:
    void start(const wchar_t* commandLine);

    ShellApi& shell_;
    AboutHost& host_;
};

}  // namespace qrvl
