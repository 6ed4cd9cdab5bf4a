// Form1's start-up, its settings and the events that save them, rebuild or update.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/ui/form1_fixture.h"

namespace qrvl::test {
namespace {

const std::wstring kNul(1, L'\0');

TEST_F(Form1Test, FirstRunWithAFolderPickedSavesItAndRunsTwoUpdatesBeforeShowing) {
    shell.answers = {L"C:\\maps"};
    load();
    EXPECT_EQ(shell.dialogs.size(), 1u);
    EXPECT_EQ(shell.dialogs[0].hwndOwner, 0u);
    EXPECT_TRUE(host.log.empty());  // not shown yet
    EXPECT_EQ(config(), "[QRVL]\nscm=yes\nscx=yes\npath=C:\\maps\\\n");
    EXPECT_EQ(form->Text1.Text(), L"C:\\maps\\");
    EXPECT_EQ(form->scm.Value(), 1);
    EXPECT_EQ(form->scx.Value(), 1);
    // First a Starcraft map while scx is still clear, then one of all maps.
    EXPECT_EQ(recent(), L"C:\\maps/b.scx" + kNul + L"C:\\maps/a.scm");

    form->Form_Resize();
    EXPECT_EQ(host.log, std::vector<std::string>{"show"});
}

TEST_F(Form1Test, FirstRunWithTheBrowserCancelledKeepsABlankDirectoryAndWritesNoMap) {
    load();
    EXPECT_EQ(shell.dialogs.size(), 1u);
    EXPECT_EQ(form->Text1.Text().find_first_not_of(L' '), std::wstring::npos);
    EXPECT_EQ(form->scm.Value(), 1);
    EXPECT_EQ(form->scx.Value(), 1);
    EXPECT_EQ(recent(), L"");
    const std::string saved = config();
    EXPECT_EQ(saved.substr(0, 22), "[QRVL]\nscm=yes\nscx=yes");
    EXPECT_NE(saved.find("\npath="), std::string::npos);
}

TEST_F(Form1Test, OnlyExactlyYesTicksABoxAtStart) {
    for (const std::string value : {"Yes", "YES", "no", "", "yess", "yes"}) {
        writeConfig("[QRVL]\npath=C:\\maps\\\nscm=" + value + "\nscx=no\n");
        load();
        const bool ticked = value == "yes";
        EXPECT_EQ(form->scm.Value(), ticked ? 1 : 0) << value;
        EXPECT_EQ(recent(), ticked ? L"C:\\maps/a.scm" : L"") << value;
        EXPECT_TRUE(shell.dialogs.empty());
    }
}

TEST_F(Form1Test, UncheckingBothBoxesSavesNoAndStopsTheUpdates) {
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=yes\n");
    load();
    form->scm.UserValue(0);  // scx alone: a Brood War map
    EXPECT_EQ(recent().substr(0, 14), L"C:\\maps/b.scx" + kNul);
    form->scx.UserValue(0);
    const std::wstring before = recent();
    for (int tick = 0; tick < 3; ++tick) {
        form->Timer1.Tick();
    }
    EXPECT_EQ(recent(), before);
    EXPECT_EQ(config(), "[QRVL]\npath=C:\\maps\\\nscm=no\nscx=no\n");
}

TEST_F(Form1Test, EachCancelAppendsOneSpaceAndRebuildsTheSameDirectory) {
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=no\nscx=no\n");
    load();
    shell.answers = {std::nullopt, std::nullopt, std::nullopt};
    for (int cancel = 0; cancel < 3; ++cancel) {
        form->Command1.Raise();
    }
    EXPECT_EQ(form->Text1.Text(), L"C:\\maps\\   ");
    EXPECT_EQ(std::count(lister->tree.opened.begin(), lister->tree.opened.end(), L"C:\\maps"), 4);
    form->scm.Value(1);  // the rebuilt catalogue is whole
    EXPECT_EQ(recent(), L"C:\\maps/a.scm");
}

TEST_F(Form1Test, TheSameFolderChosenAgainIsWatchedAndRebuiltAgain) {
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=no\nscx=no\n");
    load();
    shell.answers = {L"C:\\maps", L"C:\\maps"};
    form->Command1.Raise();
    form->Command1.Raise();
    EXPECT_EQ(form->Text1.Text(), L"C:\\maps\\");
    EXPECT_EQ(std::count(lister->tree.opened.begin(), lister->tree.opened.end(), L"C:\\maps"), 3);
    EXPECT_EQ(watch->watched, std::vector<std::wstring>(3, L"C:\\maps\\"));
}

TEST_F(Form1Test, APickedFolderAlwaysGetsASeparatorAppended) {
    writeConfig("[QRVL]\n");
    load();
    shell.answers = {L"C:\\", L"D:\\games\\maps"};
    form->Command1.Raise();
    EXPECT_EQ(form->Text1.Text(), L"C:\\\\");
    form->Command1.Raise();
    EXPECT_EQ(form->Text1.Text(), L"D:\\games\\maps\\");
}

TEST_F(Form1Test, PathIsSavedInAFormTheCodePageSpellsWhileTheBoxKeepsTheChoice) {
    struct Case {
        std::wstring chosen;
        std::optional<std::wstring> shortForm;
        std::wstring saved;  // before what the box adds
    };
    const Case cases[] = {
        {L"C:\\Cartes d'\u00e9t\u00e9", L"C:\\CARTES~1", L"C:\\Cartes d'\u00e9t\u00e9"},
        {L"C:\\\u041a\u0430\u0440\u0442\u044b", L"C:\\____~1", L"C:\\____~1"},
        // No form the code page spells: kept as it is, as before.
        {L"C:\\\uc9c0\ub3c4", std::nullopt, L"C:\\\uc9c0\ub3c4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8Codec().encode(c.chosen));
        writeConfig("[QRVL]\n");
        if (c.shortForm) {
            ansiPaths->shortNames[c.chosen] = *c.shortForm;
        }
        load();
        shell.answers = {c.chosen, std::nullopt};  // a choice, then a cancel: "\", then " "
        form->Command1.Raise();
        EXPECT_EQ(form->Text1.Text(), c.chosen + L"\\");
        EXPECT_EQ(config(), "[QRVL]\npath=" + utf8Codec().encode(c.saved) + "\\\n");
        form->Command1.Raise();
        EXPECT_EQ(form->Text1.Text(), c.chosen + L"\\ ");
        // The profile call drops the trailing blank.
        EXPECT_EQ(config(), "[QRVL]\npath=" + utf8Codec().encode(c.saved) + "\\\n");
    }
}

TEST_F(Form1Test, AnExeFolderTheCodePageCannotSpellKeepsItsSettingsThroughItsShortForm) {
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=yes\n");
    const std::wstring shortForm = host.appPath;
    host.appPath += L"\\\uac8c\uc784";
    ansiPaths->shortNames[host.appPath] = shortForm;
    load();
    EXPECT_TRUE(shell.dialogs.empty()) << "not a first run";
    EXPECT_EQ(form->Text1.Text(), L"C:\\maps\\");
    EXPECT_EQ(recent(), L"C:\\maps/a.scm");
}

TEST_F(Form1Test, ADirectoryChangeSavesAndRebuildsButRunsNoUpdate) {
    lister->tree.add(L"C:\\other", {L"z.scm"});
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=yes\n");
    load();
    form->Text1.Text(L"C:\\other\\");
    EXPECT_EQ(recent(), L"C:\\maps/a.scm");
    EXPECT_EQ(config(), "[QRVL]\npath=C:\\other\\\nscm=yes\n");
    form->Timer1.Tick();
    EXPECT_EQ(recent(), L"C:\\other/z.scm" + kNul + L"C:\\maps/a.scm");
}

TEST_F(Form1Test, ATickDuringTheScanDrawsFromTheMapsFoundSoFar) {
    random = std::make_shared<ScriptedRandom>(std::vector<float>{0.99f});
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=yes\n");
    load();
    EXPECT_EQ(recent(), L"C:\\maps/sub/c.scm");  // the last of the whole catalogue
    host.pending = [this] { form->Timer1.Tick(); };
    form->Text1.Text(L"C:\\maps\\ ");  // yields before entering "sub"
    EXPECT_EQ(recent(), L"C:\\maps/a.scm" + kNul + L"C:\\maps/sub/c.scm");
}

TEST_F(Form1Test, ADirectoryChangeDuringAScanLeavesOnlyTheNewDirectorysMaps) {
    random = std::make_shared<ScriptedRandom>(std::vector<float>{0.99f});
    lister->tree.add(L"C:\\other", {L"z.scm"});
    writeConfig("[QRVL]\nscm=yes\n");
    load();
    host.pending = [this] { form->Text1.Text(L"C:\\other\\"); };
    form->Text1.Text(L"C:\\maps\\");  // changed again before "sub" is entered
    EXPECT_EQ(config(), "[QRVL]\nscm=yes\npath=C:\\other\\\n");
    form->Timer1.Tick();
    EXPECT_EQ(recent(), L"C:\\other/z.scm");
}

TEST_F(Form1Test, TheCatalogueFollowsTheWatchedDirectoryAndNeverPicksAMapSeenRemoved) {
    // The start-up update draws a.scm; the tick draws a.scm again, then the last map.
    random = std::make_shared<ScriptedRandom>(std::vector<float>{0.0f, 0.0f, 0.99f});
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=yes\n");
    load();
    EXPECT_EQ(watch->watched, std::vector<std::wstring>{L"C:\\maps\\"});

    lister->tree.nodes[L"C:\\maps/sub"].files.push_back({L"d.scm", L"C:\\maps/sub/d.scm"});
    watch->push({WatchedChange::Action::Added, false, L"sub\\d.scm"});
    EXPECT_EQ(host.watchPosts, 1);
    form->WatchChanges();
    EXPECT_EQ(host.settleTimer, kSettleMilliseconds);
    form->WatchSettled();
    EXPECT_EQ(form->catalogue().scmMaps().Count(), 3);

    watch->files = {L"C:\\maps/sub/c.scm", L"C:\\maps/sub/d.scm"};
    watch->push({WatchedChange::Action::Removed, false, L"a.scm"});
    form->WatchChanges();
    form->Timer1.Tick();
    EXPECT_EQ(recent(), L"C:\\maps/sub/d.scm" + kNul + L"C:\\maps/a.scm");
}

TEST_F(Form1Test, AnUnreadableSettingsFileLeavesTheControlsAsDesigned) {
    std::filesystem::create_directory(configFile());  // there, but no ordinary file
    shell.answers = {std::nullopt};
    load();
    EXPECT_EQ(form->scm.Value(), 0);
    EXPECT_EQ(form->scx.Value(), 0);
    EXPECT_EQ(form->Text1.Text().find_first_not_of(L' '), std::wstring::npos);
    EXPECT_TRUE(form->Timer1.Enabled());
    EXPECT_EQ(form->Timer1.Interval(), 2000u);
}

}  // namespace
}  // namespace qrvl::test
