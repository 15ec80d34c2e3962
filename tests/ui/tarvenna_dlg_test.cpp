// Drives the real dialog on a display (a virtual one under CTest): clicks go
// through the X server, generation through the worker thread.
#include "ui/tarvenna_dlg.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcclient.h>
#include <wx/dcscreen.h>
#include <wx/filepicker.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/utf8_path.h"
#include "core/version.h"

namespace {

using namespace tarvenna::control_id;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs the event loop until `done` holds; false on timeout.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    wxTheApp->Yield(true);
    return true;
}

void Pump(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

wxString ToWx(const fs::path& path)
{
    return wxString::FromUTF8(tarvenna::Utf8FromPath(path));
}

// The command line that runs the tarvenna command: on Windows the one beside
// this program, through cmd, which drops the outermost quotes.
std::string CommandLine(const std::string& arguments, const fs::path& log)
{
#ifdef _WIN32
    const fs::path command = fs::path(wxStandardPaths::Get().GetExecutablePath().ToStdWstring()).parent_path() /
                             "tarvenna.exe";
    return "\"\"" + command.string() + "\" " + arguments + " > \"" + log.string() + "\" 2>NUL\"";
#else
    return std::string("\"") + TARVENNA_COMMAND + "\" " + arguments + " > \"" + log.string() + "\" 2>/dev/null";
#endif
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path ScratchRoot()
{
    return fs::temp_directory_path() / ("tarvenna-gui-test-" + std::to_string(wxGetProcessId()));
}

// `name` in UTF-8.
fs::path FreshFolder(const std::string& name)
{
    const fs::path folder = ScratchRoot() / tarvenna::PathFromUtf8(name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog_ = new CTarvennaDlg();
        dialog_->Show();
        ASSERT_TRUE(PumpUntil([this] { return dialog_->IsShownOnScreen(); }));
        Pump(std::chrono::milliseconds(300)); // let the window be mapped and drawn
    }

    void TearDown() override
    {
        dialog_->Close(true);
        dialog_->Destroy();
        Pump(std::chrono::milliseconds(100));
        fs::remove_all(ScratchRoot());
    }

    wxWindow* Control(int id) const { return dialog_->FindWindow(id); }
    template <typename Widget>
    Widget& As(int id) const
    {
        wxWindow* window = Control(id);
        if (window == nullptr) throw std::runtime_error("control " + std::to_string(id) + " is missing");
        return dynamic_cast<Widget&>(*window);  // throws if of another kind
    }
    bool Checked(int id) const
    {
        if (auto* box = dynamic_cast<wxCheckBox*>(Control(id))) return box->GetValue();
        return As<wxRadioButton>(id).GetValue();
    }
    bool Enabled(int id) const { return Control(id)->IsEnabled(); }
    wxTextCtrl* SeedField() const { return &As<wxTextCtrl>(kSeed); }
    wxString LogText() const { return As<wxTextCtrl>(kStatusLog).GetValue(); }
    bool Finished() const
    {
        return Control(kCompletionNotice)->IsShown() || Control(CTarvennaDlg::kFailureNoticeId)->IsShown();
    }

    // A real mouse click in the middle of the control.
    void Click(int id)
    {
#ifdef _WIN32
        // Wine on a virtual display does not route simulated mouse input to
        // the window; the native control's own click message goes the same
        // way through Windows' controls and wx, and a field takes the focus.
        wxWindow* control = Control(id);
        if (dynamic_cast<wxTextCtrl*>(control) != nullptr) {
            control->SetFocus();
            return;
        }
        ::SendMessageW(static_cast<HWND>(control->GetHWND()), BM_CLICK, 0, 0);
#else
        const wxRect place = Control(id)->GetScreenRect();
        wxUIActionSimulator mouse;
        mouse.MouseMove(place.x + place.width / 2, place.y + place.height / 2);
        mouse.MouseClick();
#endif
    }

    // A key pressed on the focused control. Under Wine no simulated key
    // reaches wx's own key routing, so the key event it would make is sent
    // from the focused control (it rises to the dialog from there).
    static void Press(int key)
    {
#ifdef _WIN32
        wxWindow* focus = wxWindow::FindFocus();
        ASSERT_NE(focus, nullptr);
        wxKeyEvent hook(wxEVT_CHAR_HOOK);
        hook.m_keyCode = key;
        hook.SetEventObject(focus);
        focus->GetEventHandler()->ProcessEvent(hook);
#else
        wxUIActionSimulator().Char(key);
#endif
    }

    // Clicks a control that is expected to change its own checked state.
    void Toggle(int id)
    {
        const bool before = Checked(id);
        Click(id);
        ASSERT_TRUE(PumpUntil([&] { return Checked(id) != before && dialog_->Form().IsChecked(id) != before; }))
            << "control " << id << " did not react to a click";
    }

    void UseFolderAndSeed(const fs::path& folder, const wxString& seed)
    {
        SeedField()->ChangeValue(seed);
        As<wxDirPickerCtrl>(kOutputFolder).SetPath(ToWx(folder));
    }

    CTarvennaDlg* dialog_ = nullptr;
};

TEST_F(DialogTest, GeneratesTheCommandsFilesFromClickedSettings)
{
    // As opened.
    EXPECT_EQ(Control(kVersion)->GetLabel(), tarvenna::kVersionString);
    EXPECT_EQ(LogText(), "Choose your seed settings and then press the Generate Seed button.");
    EXPECT_FALSE(Control(kCompletionNotice)->IsShown());
    EXPECT_TRUE(Checked(kJill) && Checked(kNormal) && Checked(kItems) && Checked(kZombies));
    EXPECT_FALSE(Enabled(kTyrantOne) || Enabled(kZombies));

    // Door mode while Hard is chosen falls back to Normal and keeps it.
    Toggle(kHard);
    Toggle(kDoors);
    EXPECT_TRUE(Checked(kNormal));
    EXPECT_FALSE(Enabled(kHard) || Enabled(kItems) || Enabled(kLocks));
    Toggle(kDoors);
    EXPECT_TRUE(Enabled(kHard) && Enabled(kItems) && Enabled(kLocks));
    EXPECT_TRUE(Checked(kNormal));

    Toggle(kEnemies);
    EXPECT_TRUE(Enabled(kTyrantMany) && Enabled(kBees) && Enabled(kTyrantRandom));
    Toggle(kChris);
    Toggle(kJill);
    Toggle(kHard);
    Toggle(kTyrantMany);
    Toggle(kLisaNone);
    Toggle(kBees);
    Toggle(kAmmo);

    // A folder such as players have, beyond ASCII.
    const fs::path folder = FreshFolder("Spiele/Ünïcödé ゲーム");
    UseFolderAndSeed(folder, "12345");
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));
    ASSERT_TRUE(Control(kCompletionNotice)->IsShown()) << Control(CTarvennaDlg::kFailureNoticeId)->GetLabel();
    EXPECT_FALSE(dialog_->IsGenerating());

    // Finished: every input stays dark; the seed used is on show.
    for (int id : tarvenna::FormModel::Inputs()) {
        if (id == kSeed) continue;
        EXPECT_FALSE(Enabled(id)) << "control " << id;
    }
    EXPECT_FALSE(SeedField()->IsEditable());
    EXPECT_EQ(SeedField()->GetValue(), "12345");
    Click(kItems);
    Pump(std::chrono::milliseconds(200));
    EXPECT_TRUE(Checked(kItems));

    const fs::path reference = FreshFolder("command");
    const std::string command =
        CommandLine("--seed 12345 --character jill --difficulty hard --enemies --tyrant-spawns many"
                    " --lisa-spawns none --no-bees --remove-ammo --out \"" + reference.string() + "\"",
                    reference / "log.txt");
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"ItemListJillHard.txt", "CheatSheetJillHard.txt"}) {
        ASSERT_TRUE(fs::exists(folder / name)) << name;
        EXPECT_EQ(ReadFile(folder / name), ReadFile(reference / name)) << name;
    }
    EXPECT_EQ(LogText().utf8_string(), ReadFile(reference / "log.txt"));

    // The picture in the README.
    const char* override = std::getenv("TARVENNA_SCREENSHOT");
    const fs::path screenshot = override != nullptr ? fs::path(override) : fs::path(TARVENNA_SCREENSHOT_DEFAULT);
    wxUIActionSimulator().MouseMove(0, 0);
    Pump(std::chrono::milliseconds(300));
    const wxRect area = dialog_->GetScreenRect();
    wxBitmap picture(area.width, area.height);
    {
#ifdef _WIN32
        // Wine reads the screen back without what the controls drew; the
        // window's own picture has it.
        wxWindowDC screen(dialog_);
        const wxPoint from(0, 0);
#else
        wxScreenDC screen;
        const wxPoint from = area.GetPosition();
#endif
        wxMemoryDC memory(picture);
        memory.Blit(0, 0, area.width, area.height, &screen, from.x, from.y);
    }
    // Without libpng (the Windows build) the picture is a bitmap.
    const wxBitmapType type = screenshot.extension() == ".bmp" ? wxBITMAP_TYPE_BMP : wxBITMAP_TYPE_PNG;
    EXPECT_TRUE(picture.SaveFile(ToWx(screenshot), type)) << screenshot;
}

TEST_F(DialogTest, EscapeAndEnterOnACheckBoxCloseTheWindowButEnterInTheSeedFieldDoesNot)
{
    Click(kSeed); // gives the window the keyboard
    ASSERT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == Control(kSeed); }));
    Press(WXK_RETURN);
    Pump(std::chrono::milliseconds(200));
    EXPECT_TRUE(dialog_->IsShown());

    Control(kAmmo)->SetFocus();
    Press(WXK_RETURN);
    EXPECT_TRUE(PumpUntil([this] { return !dialog_->IsShown(); }));

    dialog_->Show();
    ASSERT_TRUE(PumpUntil([this] { return dialog_->IsShownOnScreen(); }));
    Click(kSeed);
    ASSERT_TRUE(PumpUntil([this] { return wxWindow::FindFocus() == Control(kSeed); }));
    Press(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([this] { return !dialog_->IsShown(); }));
}

// Shows the text of message boxes to the test instead of the screen.
class MessageCatcher : public wxModalDialogHook {
public:
    MessageCatcher() { Register(); }
    int Enter(wxDialog* dialog) override
    {
        if (auto* message = dynamic_cast<wxMessageDialog*>(dialog)) messages.push_back(message->GetMessage());
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}

    std::vector<wxString> messages;
};

TEST_F(DialogTest, RefusesAnInvalidSeedOrAMissingFolderAndLeavesTheFormAsItWas)
{
    const fs::path folder = FreshFolder("invalid");
    UseFolderAndSeed(folder, "12x");
    MessageCatcher catcher;
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([&] { return catcher.messages.size() == 1; }));
    EXPECT_NE(catcher.messages.back().Find("4294967295"), wxNOT_FOUND) << catcher.messages.back();

    SeedField()->ChangeValue("");
    auto* picker = dynamic_cast<wxDirPickerCtrl*>(Control(kOutputFolder));
    picker->GetTextCtrl()->SetValue(ToWx(folder / "missing")); // as if typed
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([&] { return catcher.messages.size() == 2; }));
    EXPECT_NE(catcher.messages.back().Find("does not exist"), wxNOT_FOUND) << catcher.messages.back();
    picker->GetTextCtrl()->SetValue(ToWx(folder));

    EXPECT_FALSE(dialog_->IsGenerating());
    EXPECT_TRUE(Enabled(kGenerate) && Enabled(kItems) && SeedField()->IsEditable());
    EXPECT_EQ(LogText(), "Choose your seed settings and then press the Generate Seed button.");
    EXPECT_TRUE(fs::is_empty(folder));

    // Corrected, the same dialog goes on to generate.
    SeedField()->ChangeValue(" 77 ");
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));
    EXPECT_TRUE(Control(kCompletionNotice)->IsShown());
    EXPECT_EQ(SeedField()->GetValue(), "77");
    EXPECT_TRUE(fs::exists(folder / "ItemListJillNormal.txt"));
    EXPECT_EQ(catcher.messages.size(), 2u);
}

TEST_F(DialogTest, SaysPlainlyWhenAnOutputFileCannotBeWritten)
{
    const fs::path folder = FreshFolder("blocked");
    fs::create_directory(folder / "ItemListJillNormal.txt"); // a folder where the file should go
    UseFolderAndSeed(folder, "5");
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));

    EXPECT_FALSE(Control(kCompletionNotice)->IsShown());
    // The notice wraps long paths onto more lines.
    wxString failure = Control(CTarvennaDlg::kFailureNoticeId)->GetLabel();
    failure.Replace("\n", " ");
    EXPECT_TRUE(failure.StartsWith("Could not write ")) << failure;
    EXPECT_NE(failure.Find("ItemListJillNormal.txt"), wxNOT_FOUND) << failure;
    EXPECT_FALSE(Enabled(kGenerate));
}

TEST_F(DialogTest, ClosingDuringALongShuffleEndsItPromptlyAndWritesNothing)
{
    // Chris with locks and this seed: the search deals some 317 million
    // times before one passes.
    Toggle(kChris);
    Toggle(kLocks);
    const fs::path folder = FreshFolder("closed");
    UseFolderAndSeed(folder, "371");
    Click(kGenerate);
    // The progress dots arrive while the shuffle is still running.
    ASSERT_TRUE(PumpUntil([this] { return LogText().StartsWith("Randomizing Items. . . . ."); }));
    ASSERT_TRUE(dialog_->IsGenerating()) << "the run ended before it could be interrupted; pick a slower seed";

    const auto start = Clock::now();
    dialog_->Close();
#ifdef _WIN32
    // Wine waits up to two seconds for a window manager to see the window
    // hidden, and a bare virtual display has none.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
#else
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
#endif
    EXPECT_FALSE(dialog_->IsGenerating());
    Pump(std::chrono::milliseconds(100));
    EXPECT_FALSE(Control(kCompletionNotice)->IsShown());
    EXPECT_TRUE(fs::is_empty(folder));
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot open a display for the dialog test\n");
        return 1;
    }
    // A failed wx assertion fails the test that hit it, with its text,
    // instead of stopping the program at a breakpoint.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                          const wxString& message) {
        ADD_FAILURE_AT(file.utf8_string().c_str(), line)
            << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " " << message.utf8_string();
    });
    wxInitAllImageHandlers();
    wxToolTip::Enable(false); // a tip popping up could take a click meant for a control
    const int status = RUN_ALL_TESTS();
    wxEntryCleanup();
    return status;
}
