// Drives the real dialog on a display (a virtual one under CTest): clicks go
// through the X server, generation through the worker thread.
#include "ui/settings_dialog.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/fileconf.h>
#include <wx/filepicker.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
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
#include "share/game_identity.h"
#include "share/share_code.h"
#include "form/log_view.h"
#include "share/check_words.h"
#include "support/checked_run.h"

// Places in failure messages.
void PrintTo(const wxRect& place, std::ostream* out)
{
    *out << place.x << "," << place.y << " " << place.width << "x" << place.height;
}

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

// The command line that runs the tarvenna command, its status log going to
// `log` and what it says of the game to `errors`: on Windows the one beside
// this program, through cmd, which drops the outermost quotes.
std::string CommandLine(const std::string& arguments, const fs::path& log, const fs::path& errors)
{
#ifdef _WIN32
    const fs::path command = fs::path(wxStandardPaths::Get().GetExecutablePath().ToStdWstring()).parent_path() /
                             "tarvenna.exe";
    return "\"\"" + command.string() + "\" " + arguments + " > \"" + log.string() + "\" 2> \"" + errors.string() +
           "\"\"";
#else
    return std::string("\"") + TARVENNA_COMMAND + "\" " + arguments + " > \"" + log.string() + "\" 2> \"" +
           errors.string() + "\"";
#endif
}

// The rest of the line after `label` in `text`.
std::string LineAfter(const std::string& text, const std::string& label)
{
    const std::size_t start = text.find(label);
    if (start == std::string::npos) return "(no " + label + " line)";
    const std::size_t end = text.find_first_of("\r\n", start);
    return text.substr(start + label.size(), end == std::string::npos ? std::string::npos : end - start - label.size());
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

std::string Describe(const wxWindow& control)
{
    const wxString label = control.GetLabel();
    return label.empty() ? "control " + std::to_string(control.GetId()) : "\"" + label.utf8_string() + "\"";
}

// The room `text` takes in the control's font, lines and all.
wxSize TextSize(const wxWindow& control, const wxString& text)
{
    wxScreenDC dc;
    dc.SetFont(control.GetFont());
    return dc.GetMultiLineTextExtent(text);
}

// What a player would see cut off or run together in the window as it now
// is: a text larger than its control, a control outside the window or across
// a frame's edge or caption, two controls on one spot. Toolkits' natural
// sizes of buttons and fields hold padding that may shrink, so those only
// need their text to fit; a pixel or two of rounding between neighbours is
// no overlap.
std::string LayoutFaults(const wxWindow& dialog)
{
    std::string faults;
    const wxRect window(dialog.GetClientSize());
    std::vector<const wxWindow*> frames;
    std::vector<const wxWindow*> controls;
    for (const wxWindow* control : dialog.GetChildren()) {
        if (!control->IsShown()) continue;
        (dynamic_cast<const wxStaticBox*>(control) != nullptr ? frames : controls).push_back(control);
        const wxRect place = control->GetRect();
        const wxSize room = control->GetClientSize();
        if (!window.Contains(place)) faults += Describe(*control) + " reaches outside the window\n";
        // Half a letter of margin on each side of a button's or frame's text.
        const int margin = control->GetCharWidth();
        wxSize needed;
        if (dynamic_cast<const wxCheckBox*>(control) != nullptr ||
            dynamic_cast<const wxRadioButton*>(control) != nullptr) {
            needed = control->GetBestSize(); // the box and the text
        } else if (dynamic_cast<const wxStaticText*>(control) != nullptr) {
            needed = TextSize(*control, control->GetLabel());
        } else if (dynamic_cast<const wxButton*>(control) != nullptr) {
            needed = TextSize(*control, wxControl::RemoveMnemonics(control->GetLabel())) + wxSize(margin, 0);
        } else if (dynamic_cast<const wxStaticBox*>(control) != nullptr) {
            needed = TextSize(*control, wxControl::RemoveMnemonics(control->GetLabel())) + wxSize(2 * margin, 0);
        } else if (const auto* field = dynamic_cast<const wxTextCtrl*>(control);
                   field != nullptr && !field->IsMultiLine()) {
            needed = TextSize(*control, field->GetValue());
            needed.y = control->GetCharHeight();
        }
        if (needed.x > room.x || needed.y > room.y) {
            faults += Describe(*control) + " needs " + testing::PrintToString(wxRect(needed)) + " for its text, has " +
                      testing::PrintToString(wxRect(room)) + "\n";
        }
    }
    for (const wxWindow* frame : frames) {
        const wxRect border = frame->GetRect();
        const wxRect caption(border.GetPosition(), wxSize(border.width, frame->GetCharHeight()));
        for (const wxWindow* control : controls) {
            const wxRect place = control->GetRect();
            if (!border.Contains(wxPoint(place.x + place.width / 2, place.y + place.height / 2))) continue;
            if (!wxRect(border).Deflate(1).Contains(place)) {
                faults += Describe(*control) + " crosses the edge of " + Describe(*frame) + "\n";
            } else if (place.Intersects(caption)) {
                faults += Describe(*control) + " covers the caption of " + Describe(*frame) + "\n";
            }
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const wxRect shared = controls[i]->GetRect().Intersect(controls[j]->GetRect());
            if (shared.width > 2 && shared.height > 2) {
                faults += Describe(*controls[i]) + " and " + Describe(*controls[j]) + " overlap at " +
                          testing::PrintToString(shared) + "\n";
            }
        }
    }
    return faults;
}

void ForEachWindow(wxWindow& window, const std::function<void(wxWindow&)>& act)
{
    act(window);
    for (wxWindow* child : window.GetChildren()) ForEachWindow(*child, act);
}

// Tells the dialog that its display's scale changed from `from` to `to` dots
// per inch, as wx does on Windows when the window moves to a display of
// another scale: every font scaled, natural sizes measured again (once the
// toolkit has taken up the fonts), then the event. Windows' own message
// reaches the dialog only in a per-monitor aware program, which Wine 8
// cannot make.
void ChangeDisplayScale(wxWindow& dialog, int from, int to)
{
    const float factor = static_cast<float>(to) / static_cast<float>(from);
    ForEachWindow(dialog, [&](wxWindow& window) { window.SetFont(window.GetFont().Scaled(factor)); });
    Pump(std::chrono::milliseconds(100));
    ForEachWindow(dialog, [](wxWindow& window) { window.InvalidateBestSize(); });
    wxDPIChangedEvent event(wxSize(from, from), wxSize(to, to));
    event.SetEventObject(&dialog);
    dialog.GetEventHandler()->ProcessEvent(event);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Each test remembers its choices in a file of its own, never in the user's.
        configFile_ = FreshFolder("config") / "tarvenna.conf";
        OpenConfig();
        Open();
    }

    void TearDown() override
    {
        Close();
        config_.reset();
        fs::remove_all(ScratchRoot());
    }

    virtual tarvenna::SettingsDialog* NewDialog(wxConfigBase* config) { return new tarvenna::SettingsDialog(nullptr, config); }

    void OpenConfig()
    {
        config_ = std::make_unique<wxFileConfig>(wxEmptyString, wxEmptyString, ToWx(configFile_), wxEmptyString,
                                                 wxCONFIG_USE_LOCAL_FILE);
    }

    void Open()
    {
        dialog_ = NewDialog(config_.get());
        dialog_->Show();
        ASSERT_TRUE(PumpUntil([this] { return dialog_->IsShownOnScreen(); }));
        Pump(std::chrono::milliseconds(300)); // let the window be mapped and drawn
    }

    void Close()
    {
        dialog_->Close(true);
        dialog_->Destroy();
        Pump(std::chrono::milliseconds(100));
    }

    // As if the program ended and started again: the choices only come
    // back from the file.
    void Reopen()
    {
        Close();
        OpenConfig();
        Open();
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
        return Control(kCompletionNotice)->IsShown() || Control(tarvenna::SettingsDialog::kFailureNoticeId)->IsShown();
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

    wxString Label(int id) const { return Control(id)->GetLabel(); }
    // As one line: labels in narrow places wrap.
    std::string OneLine(int id) const
    {
        wxString text = Label(id);
        text.Replace("\n", " ");
        return text.utf8_string();
    }
    wxString FieldText(int id) const { return As<wxTextCtrl>(id).GetValue(); }

    fs::path configFile_;
    std::unique_ptr<wxFileConfig> config_;
    tarvenna::SettingsDialog* dialog_ = nullptr;
};

TEST_F(DialogTest, GeneratesTheCommandsFilesFromClickedSettings)
{
    // As opened.
    EXPECT_EQ(Control(kVersion)->GetLabel(), tarvenna::kVersionString);
    EXPECT_TRUE(Checked(kJill) && Checked(kNormal) && Checked(kItems) && Checked(kZombies));
    EXPECT_FALSE(Enabled(kTyrantOne) || Enabled(kZombies));

    // The form's rules are the form model's (its own tests); the window must
    // pass the clicks on and show what the model says.
    Toggle(kDoors);
    EXPECT_FALSE(Enabled(kHard) || Enabled(kLocks));
    for (int id : {kDoors, kEnemies, kChris, kJill, kHard, kTyrantMany, kLisaNone, kBees, kAmmo, kSpoiler}) Toggle(id);
    EXPECT_TRUE(Label(kCheckWords).empty() && FieldText(kShareCode).empty() && !Enabled(kCopyShareCode));

    // A folder such as players have, beyond ASCII.
    const fs::path folder = FreshFolder("Spiele/Ünïcödé ゲーム");
    UseFolderAndSeed(folder, "12345");
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));
    ASSERT_TRUE(Control(kCompletionNotice)->IsShown()) << Control(tarvenna::SettingsDialog::kFailureNoticeId)->GetLabel();
    EXPECT_FALSE(dialog_->IsGenerating());

    // Finished: every input stays dark; the seed used is on show.
    for (int id : tarvenna::FormModel::Inputs()) {
        if (id == kSeed) continue;
        EXPECT_FALSE(Enabled(id)) << "control " << id;
    }
    EXPECT_FALSE(SeedField()->IsEditable());
    EXPECT_EQ(SeedField()->GetValue(), "12345");

    const fs::path reference = FreshFolder("command");
    const fs::path logs = FreshFolder("logs");
    const std::string command =
        CommandLine("--seed 12345 --character jill --difficulty hard --enemies --tyrant-spawns many"
                    " --lisa-spawns none --no-bees --remove-ammo --spoiler --out \"" + reference.string() + "\"",
                    logs / "log.txt", logs / "errors.txt");
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"ItemListJillHard.txt", "CheatSheetJillHard.txt", "SpoilerJillHard.json"}) {
        ASSERT_TRUE(fs::exists(folder / name)) << name;
        EXPECT_EQ(tarvenna::ReadFile(folder / name), tarvenna::ReadFile(reference / name)) << name;
    }
    const std::string log = tarvenna::ReadFile(logs / "log.txt");
    EXPECT_EQ(dialog_->FullLog(), log); // what it shows of it: the long search's test

    // What players compare and pass on, as the command says it.
    const std::string errors = tarvenna::ReadFile(logs / "errors.txt");
    EXPECT_EQ(OneLine(kCheckWords), LineAfter(errors, "check: "));
    EXPECT_EQ(FieldText(kShareCode).utf8_string(), LineAfter(errors, "share: "));
    EXPECT_TRUE(Enabled(kCopyShareCode) && Control(kCheckWords)->IsShown());
    // As a player sees it after a run: every text whole, at this display's
    // scale (under Wine, the one its registry was given).
    if (const char* dpi = std::getenv("TARVENNA_DISPLAY_DPI")) {
        EXPECT_EQ(dialog_->GetDPI().y, std::atoi(dpi));
    }
    EXPECT_EQ(LayoutFaults(*dialog_), "");

    // The picture in the README.
    const char* override = std::getenv("TARVENNA_SCREENSHOT");
    const fs::path screenshot = override != nullptr ? fs::path(override) : fs::path(TARVENNA_SCREENSHOT_DEFAULT);
    wxUIActionSimulator().MouseMove(0, 0);
    dialog_->Raise(); // above the console window the command may have left for a moment
    Pump(std::chrono::milliseconds(300));
    // Read back from the screen, so that the window manager's frame is in it.
    const wxRect area = dialog_->GetScreenRect();
    wxBitmap picture(area.width, area.height);
    {
        wxScreenDC screen;
        wxMemoryDC memory(picture);
        memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    }
    // Without libpng (the Windows build) the picture is a bitmap.
    const wxBitmapType type = screenshot.extension() == ".bmp" ? wxBITMAP_TYPE_BMP : wxBITMAP_TYPE_PNG;
    EXPECT_TRUE(picture.SaveFile(ToWx(screenshot), type)) << screenshot;
}

TEST_F(DialogTest, LaysItselfOutAgainAtTwiceTheDisplayScaleAndBack)
{
    ASSERT_EQ(LayoutFaults(*dialog_), "");
    std::vector<wxRect> before;
    for (const wxWindow* child : dialog_->GetChildren()) before.push_back(child->GetRect());
    const wxSize size = dialog_->GetClientSize();
    const int dpi = dialog_->GetDPI().y;

    ChangeDisplayScale(*dialog_, dpi, 2 * dpi);
    Pump(std::chrono::milliseconds(200));
    EXPECT_EQ(LayoutFaults(*dialog_), "");
    // The window grows with its text, not just its frame.
    const wxSize larger = dialog_->GetClientSize();
    EXPECT_NEAR(larger.x, 2 * size.x, size.x / 5) << "from " << size.x;
    EXPECT_NEAR(larger.y, 2 * size.y, size.y / 5) << "from " << size.y;

    ChangeDisplayScale(*dialog_, 2 * dpi, dpi);
    Pump(std::chrono::milliseconds(200));
    std::vector<wxRect> after;
    for (const wxWindow* child : dialog_->GetChildren()) after.push_back(child->GetRect());
    EXPECT_EQ(after, before);
    EXPECT_EQ(dialog_->GetClientSize(), size);
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
    SeedField()->ChangeValue("77");
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));
    EXPECT_TRUE(fs::exists(folder / "ItemListJillNormal.txt"));
}

TEST_F(DialogTest, RemembersTheChoicesOfTheLastRunAndResetPutsBackTheDefaults)
{
    for (int id : {kChris, kLocks, kEnemies, kTyrantLab, kBees, kSpoiler}) Toggle(id);
    const fs::path folder = FreshFolder("remembered");
    UseFolderAndSeed(folder, "99");
    const tarvenna::Settings chosen = dialog_->Form().CollectSettings();

    Reopen();
    EXPECT_EQ(dialog_->Form().CollectSettings(), chosen);
    EXPECT_TRUE(dialog_->Form().WantsSpoiler());
    EXPECT_EQ(As<wxDirPickerCtrl>(kOutputFolder).GetPath(), ToWx(folder));
    EXPECT_EQ(SeedField()->GetValue(), ""); // a seed is one game's, not a setting

    SeedField()->ChangeValue("42");
    Click(kResetDefaults);
    ASSERT_TRUE(PumpUntil([this] { return dialog_->Form().CollectSettings() == tarvenna::Settings{}; }));
    EXPECT_FALSE(dialog_->Form().WantsSpoiler());
    EXPECT_EQ(SeedField()->GetValue(), "");

    Reopen();
    EXPECT_EQ(dialog_->Form().CollectSettings(), tarvenna::Settings{});
    EXPECT_FALSE(Checked(kSpoiler));
}

// A game made here, beside the dialog: what its code names. Its check words
// are those of its item list, so a dialog that shows them made that game.
tarvenna::GameIdentity MakeReferenceGame(const tarvenna::Settings& settings, std::uint32_t seed)
{
    tarvenna::GameRequest request;
    request.settings = settings;
    request.seed = seed;
    request.folder = FreshFolder("reference");
    tarvenna::GeneratorState state;
    tarvenna::StatusLog log;
    const tarvenna::GameResult made = tarvenna::MakeGame(request, state, log);
    EXPECT_TRUE(tarvenna::FilesWritten(made.outcome)) << made.message;
    return made.identity;
}

TEST_F(DialogTest, LoadingACodeMakesTheGameItNamesABadCodeChangesNothingAndAnotherBuildsIsWarnedOf)
{
    const tarvenna::Settings settings{.character = tarvenna::Character::Chris,
                                      .difficulty = tarvenna::Difficulty::Hard,
                                      .randomizeEnemies = true,
                                      .removeInkRibbons = true,
                                      .tyrantSpawns = tarvenna::SpawnCount::Many,
                                      .lisaSpawns = tarvenna::SpawnCount::None,
                                      .allowSharks = false};
    const tarvenna::GameIdentity game = MakeReferenceGame(settings, 4242);

    // The form starts elsewhere: in door mode, which the code's Hard must undo.
    Toggle(kDoors);
    SeedField()->ChangeValue("7");
    const tarvenna::Settings before = dialog_->Form().CollectSettings();

    // The code with one character changed no longer adds up; what codes the
    // reader refuses is its own tests' business.
    std::string mistyped = game.shareCode;
    mistyped.back() = mistyped.back() == '1' ? '2' : '1';
    MessageCatcher catcher;
    As<wxTextCtrl>(kLoadCodeField).ChangeValue(wxString::FromUTF8(mistyped));
    Click(kLoadCode);
    ASSERT_TRUE(PumpUntil([&] { return catcher.messages.size() == 1; }));
    EXPECT_EQ(catcher.messages.back().utf8_string(), tarvenna::ReadShareCode(mistyped).message);
    EXPECT_EQ(dialog_->Form().CollectSettings(), before);
    EXPECT_TRUE(Checked(kDoors));
    EXPECT_EQ(SeedField()->GetValue(), "7");

    As<wxTextCtrl>(kLoadCodeField).ChangeValue(" " + ToWx(game.shareCode) + " ");
    Click(kLoadCode);
    ASSERT_TRUE(PumpUntil([&] { return dialog_->Form().CollectSettings() == settings; }));
    EXPECT_EQ(SeedField()->GetValue(), "4242");

    const fs::path folder = FreshFolder("loaded");
    As<wxDirPickerCtrl>(kOutputFolder).SetPath(ToWx(folder));
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));
    ASSERT_TRUE(Control(kCompletionNotice)->IsShown()) << Label(tarvenna::SettingsDialog::kFailureNoticeId);
    EXPECT_EQ(OneLine(kCheckWords), game.checkWords);
    EXPECT_EQ(FieldText(kShareCode).utf8_string(), game.shareCode);
    // Only the refusal: this build made the code's game.
    EXPECT_EQ(catcher.messages.size(), 1u) << catcher.messages.back();

    // Copy hands the code to other programs.
    Click(kCopyShareCode);
    Pump(std::chrono::milliseconds(200));
    wxTextDataObject copied;
    ASSERT_TRUE(wxTheClipboard->Open());
    EXPECT_TRUE(wxTheClipboard->GetData(copied));
    wxTheClipboard->Close();
    EXPECT_EQ(copied.GetText().utf8_string(), game.shareCode);

    // The code of a build that made another game of these settings and seed:
    // this build's game all the same, and a warning naming the code's words.
    Reopen();
    const std::uint32_t othersValue = game.checkValue ^ 1u;
    As<wxTextCtrl>(kLoadCodeField)
        .ChangeValue(wxString::FromUTF8(tarvenna::EncodeShareCode({settings, 4242, othersValue})));
    Click(kLoadCode);
    ASSERT_TRUE(PumpUntil([this] { return SeedField()->GetValue() == "4242"; }));
    const fs::path other = FreshFolder("other build");
    As<wxDirPickerCtrl>(kOutputFolder).SetPath(ToWx(other));
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));
    ASSERT_TRUE(PumpUntil([&] { return catcher.messages.size() == 2; }));
    const wxString warning = catcher.messages.back();
    EXPECT_NE(warning.Find("different game"), wxNOT_FOUND) << warning;
    EXPECT_NE(warning.Find(wxString::FromUTF8(tarvenna::CheckWordsText(othersValue))), wxNOT_FOUND) << warning;
    EXPECT_TRUE(Control(kCompletionNotice)->IsShown());
    EXPECT_EQ(OneLine(kCheckWords), game.checkWords);
    EXPECT_TRUE(fs::exists(other / "ItemListChrisHard.txt"));
}

TEST_F(DialogTest, SaysPlainlyWhenAnOutputFileCannotBeWritten)
{
    const fs::path folder = FreshFolder("blocked");
    fs::create_directory(folder / "ItemListJillNormal.txt"); // a folder where the file should go
    UseFolderAndSeed(folder, "5");
    Click(kGenerate);
    ASSERT_TRUE(PumpUntil([this] { return Finished(); }, std::chrono::seconds(120)));

    EXPECT_FALSE(Control(kCompletionNotice)->IsShown());
    const std::string failure = OneLine(tarvenna::SettingsDialog::kFailureNoticeId);
    EXPECT_TRUE(failure.starts_with("Cannot write ")) << failure; // found before the search
    EXPECT_NE(failure.find("ItemListJillNormal.txt"), std::string::npos) << failure;
    EXPECT_FALSE(Enabled(kGenerate));
}

// Sends what the longest searches send, before the run itself: a hundred
// thousand progress marks, paced like a fast search's.
class MarkFloodDialog : public tarvenna::SettingsDialog {
public:
    using tarvenna::SettingsDialog::SettingsDialog;

    static constexpr int kMarks = 100000;
    std::atomic<Clock::rep> filesWritten{0};

protected:
    tarvenna::GenerateResult Generate(const tarvenna::Settings& settings, const tarvenna::RunOptions& options,
                                      tarvenna::GeneratorState& state, tarvenna::StatusLog& statusLog) override
    {
        statusLog.AppendStatus("Randomizing Items. . .");
        tarvenna::SearchProgress progress{0, std::uint64_t{1} << 30, 1, true};
        for (int mark = 1; mark <= kMarks; ++mark) {
            statusLog.AppendStatus(" .");
            progress.ruledOut = static_cast<std::uint64_t>(mark) * 10001;
            options.onSearchProgress(progress);
            if (mark % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        progress.searching = false;
        options.onSearchProgress(progress);
        statusLog.AppendStatus("done after 1000010000 attempts!\n");
        // The run starts a log of its own; its text follows the marks.
        tarvenna::StatusLog run;
        run.SetListener([&](std::string_view text) { statusLog.AppendStatus(text); });
        const tarvenna::GenerateResult result = tarvenna::SettingsDialog::Generate(settings, options, state, run);
        filesWritten = Clock::now().time_since_epoch().count();
        return result;
    }
};

class LongSearchTest : public DialogTest {
protected:
    tarvenna::SettingsDialog* NewDialog(wxConfigBase* config) override { return flood_ = new MarkFloodDialog(nullptr, config); }

    MarkFloodDialog* flood_ = nullptr;
};

TEST_F(LongSearchTest, TheLogKeepsUpWithAHundredThousandMarksAndTheCompletionFollowsTheFiles)
{
    const fs::path folder = FreshFolder("long");
    UseFolderAndSeed(folder, "3");
    Click(kGenerate);
    std::size_t longest = 0;
    bool countedWhileRunning = false;
    int progressShown = 0; // how far the gauge got while the run was on
    wxString progressText;
    ASSERT_TRUE(PumpUntil(
        [&] {
            const wxString shown = LogText();
            longest = std::max(longest, shown.length());
            countedWhileRunning = countedWhileRunning || (dialog_->IsGenerating() && shown.Contains(" more] ."));
            if (dialog_->IsGenerating() && Control(kSearchProgress)->IsShown()) {
                progressShown = std::max(progressShown, As<wxGauge>(kSearchProgress).GetValue());
                progressText = As<wxStaticText>(kSearchProgressText).GetLabel();
            }
            return Finished();
        },
        std::chrono::seconds(120)));
    const Clock::time_point noticed = Clock::now();
    ASSERT_TRUE(Control(kCompletionNotice)->IsShown()) << Label(tarvenna::SettingsDialog::kFailureNoticeId);

    // A log control that grows with every mark falls seconds behind; a
    // short one follows the files within a fraction of a second.
    const Clock::time_point written{Clock::duration(flood_->filesWritten.load())};
    EXPECT_LT(noticed - written, std::chrono::seconds(2))
        << std::chrono::duration<double>(noticed - written).count() << " s";
    EXPECT_LT(longest, 1000u);
    EXPECT_TRUE(countedWhileRunning);
    // Beside the log, the search's progress: up to the 93 % of the cycle that
    // the marks stand for, and gone with the run.
    EXPECT_GT(progressShown, 500);
    EXPECT_LE(progressShown, 932);
    EXPECT_TRUE(progressText.StartsWith("Checking the locks: ")) << progressText;
    EXPECT_FALSE(Control(kSearchProgress)->IsShown() || Control(kSearchProgressText)->IsShown());
    const std::string full = dialog_->FullLog();
    EXPECT_GT(full.size(), 2u * MarkFloodDialog::kMarks);
    EXPECT_EQ(LogText().utf8_string(), tarvenna::ShownLog(full));
}

TEST_F(DialogTest, ClosingDuringALongShuffleEndsItPromptlyAndWritesNothing)
{
    // Chris with locks and this seed: the search deals some 317 million
    // times before one passes.
    for (int id : {kChris, kLocks}) Toggle(id);
    const fs::path folder = FreshFolder("closed");
    UseFolderAndSeed(folder, "371");
    Click(kGenerate);
    // The progress dots arrive while the shuffle is still running.
    ASSERT_TRUE(PumpUntil([this] { return LogText().StartsWith("Randomizing Items. . . . ."); }));
    ASSERT_TRUE(dialog_->IsGenerating()) << "the run ended before it could be interrupted; pick a slower seed";

    const auto start = Clock::now();
    dialog_->Close();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
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
    // A dialog without a config of its own remembers nothing: the user's
    // choices are never touched.
    wxConfigBase::DontCreateOnDemand();
    wxToolTip::Enable(false); // a tip popping up could take a click meant for a control
    const int status = RUN_ALL_TESTS();
    wxEntryCleanup();
    return status;
}
