#include "ui/tarvenna_dlg.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string_view>
#include <thread>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filefn.h>
#include <wx/filepicker.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/utf8_path.h"
#include "core/version.h"
#include "ui/tarvenna_icon.h"

using namespace tarvenna;
using namespace tarvenna::control_id;

namespace {

enum class Kind { Label, GroupFrame, Radio, RadioStartingGroup, CheckBox };

struct TemplateControl {
    int id; // wxID_ANY for labels and frames without an id of their own
    Kind kind;
    const char* text;
    int x, y, width, height; // dialog units
};

// The dialog template, in creation order: frames before the controls they
// hold, each radio group in one run.
constexpr TemplateControl kTemplate[] = {
    {wxID_ANY, Kind::Label, "Tarvenna Seed Generator by the Tarvenna developers", 7, 7, 315, 8},
    {kVersion, Kind::Label, "Version 1.0", 7, 22, 315, 8},
    {wxID_ANY, Kind::GroupFrame, "Play As:", 7, 38, 57, 60},
    {kJill, Kind::RadioStartingGroup, "Jill", 17, 52, 37, 17},
    {kChris, Kind::Radio, "Chris", 17, 69, 37, 17},
    {wxID_ANY, Kind::GroupFrame, "Difficulty:", 72, 38, 57, 60},
    {kNormal, Kind::RadioStartingGroup, "Normal", 81, 52, 37, 17},
    {kHard, Kind::Radio, "Hard", 81, 69, 37, 17},
    {wxID_ANY, Kind::GroupFrame, "Randomize:", 135, 38, 84, 84},
    {kItems, Kind::CheckBox, "Items", 151, 55, 47, 9},
    {kEnemies, Kind::CheckBox, "Enemies", 151, 70, 42, 11},
    {kDoors, Kind::CheckBox, "Doors", 151, 87, 44, 8},
    {kLocks, Kind::CheckBox, "Locks", 151, 101, 33, 10},
    {wxID_ANY, Kind::GroupFrame, "Enemies:", 227, 38, 93, 155},
    {kZombies, Kind::CheckBox, "Zombies", 235, 53, 42, 10},
    {kDogs, Kind::CheckBox, "Dogs", 235, 69, 32, 10},
    {kHunters, Kind::CheckBox, "Hunters", 235, 85, 41, 10},
    {kSpiders, Kind::CheckBox, "Spiders", 235, 101, 39, 10},
    {kSharks, Kind::CheckBox, "Sharks", 235, 117, 37, 10},
    {kBees, Kind::CheckBox, "Bees", 235, 133, 31, 10},
    {kChimera, Kind::CheckBox, "Chimera", 235, 149, 42, 10},
    {kElderCrimsonHeads, Kind::CheckBox, "Elder Crimson Heads", 235, 165, 77, 10},
    {wxID_ANY, Kind::GroupFrame, "Tyrant Spawns:", 7, 125, 122, 30},
    {kTyrantOne, Kind::RadioStartingGroup, "One", 19, 136, 28, 16},
    {kTyrantMany, Kind::Radio, "Many", 51, 136, 31, 16},
    {kTyrantNone, Kind::Radio, "None", 86, 136, 31, 16},
    {wxID_ANY, Kind::GroupFrame, "Yawn Spawns:", 7, 157, 122, 30},
    {kYawnOne, Kind::RadioStartingGroup, "One", 19, 168, 28, 16},
    {kYawnMany, Kind::Radio, "Many", 51, 168, 31, 16},
    {kYawnNone, Kind::Radio, "None", 86, 168, 31, 16},
    {wxID_ANY, Kind::GroupFrame, "Lisa Spawns:", 7, 187, 122, 30},
    {kLisaOne, Kind::RadioStartingGroup, "One", 19, 200, 28, 16},
    {kLisaMany, Kind::Radio, "Many", 51, 200, 31, 16},
    {kLisaNone, Kind::Radio, "None", 86, 200, 31, 16},
    {wxID_ANY, Kind::GroupFrame, "Tyrant Type:", 7, 222, 176, 30},
    {kTyrantHelipad, Kind::RadioStartingGroup, "Helipad (Fast)", 19, 232, 56, 16},
    {kTyrantLab, Kind::Radio, "Lab (Slow)", 84, 232, 45, 16},
    {kTyrantRandom, Kind::Radio, "Random", 138, 232, 38, 16},
    {wxID_ANY, Kind::GroupFrame, "Remove from pool:", 135, 124, 84, 93},
    {kHealingItems, Kind::CheckBox, "Healing Items", 147, 141, 57, 13},
    {kAmmo, Kind::CheckBox, "Ammo", 147, 158, 52, 13},
    {kInkRibbons, Kind::CheckBox, "Ink Ribbons", 147, 175, 52, 13},
    {kDefenceItems, Kind::CheckBox, "Defence Items", 147, 192, 64, 13},
    {kSwapWithSelfDefenseGun, Kind::CheckBox, "Swap all non-key items with Self-Defense Gun", 7, 259, 162, 10},
    {kFuelCapsuleArmed, Kind::CheckBox, "Fuel Supply Capsule armed on pickup", 7, 275, 134, 10},
};

constexpr int kDialogWidth = 335;
constexpr int kDialogHeight = 405;

constexpr const char* kPrompt = "Choose your seed settings and then press the Generate Seed button.";
constexpr const char* kCompletionText =
    "All done! You can close this window. Launch the game and on the main menu launch Hollowgate.exe";

// The stages write ASCII; file names in error texts come in the system's
// narrow encoding, which is UTF-8 nearly everywhere.
wxString ToWx(std::string_view text)
{
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    if (converted.empty() && !text.empty()) converted = wxString::From8BitData(text.data(), text.size());
    return converted;
}

// Some toolkits draw check boxes and radio buttons larger than the
// template's boxes; such a control grows to its natural size around the
// middle of its row instead of being clipped.
void FitAroundPlace(wxWindow& control, wxPoint place, wxSize extent)
{
    const wxSize best = control.GetBestSize();
    if (best.x > extent.x) extent.x = best.x;
    if (best.y > extent.y) {
        place.y -= (best.y - extent.y) / 2;
        extent.y = best.y;
    }
    control.SetSize(wxRect(place, extent));
}

} // namespace

CTarvennaDlg::CTarvennaDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxDIALOG_NO_PARENT)
{
    SetIcons(MakeTarvennaIcons());
    // The layout is in dialog units of the template's 8 point font; the
    // platform's own face keeps the look native.
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(8);
    SetFont(font);
    CreateControls();
    SyncControls();
    CentreOnScreen();

    Bind(wxEVT_CHECKBOX, &CTarvennaDlg::OnCheckBox, this);
    Bind(wxEVT_RADIOBUTTON, &CTarvennaDlg::OnRadioButton, this);
    Bind(wxEVT_BUTTON, &CTarvennaDlg::OnGenerate, this, kGenerate);
    Bind(wxEVT_CHAR_HOOK, &CTarvennaDlg::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CTarvennaDlg::OnClose, this);
}

CTarvennaDlg::~CTarvennaDlg()
{
    StopWorker();
}

wxPoint CTarvennaDlg::Place(int x, int y) const
{
    return ConvertDialogToPixels(wxPoint(x, y));
}

wxSize CTarvennaDlg::Extent(int width, int height) const
{
    return ConvertDialogToPixels(wxSize(width, height));
}

void CTarvennaDlg::CreateControls()
{
    SetClientSize(Extent(kDialogWidth, kDialogHeight));

    for (const TemplateControl& control : kTemplate) {
        const wxPoint place = Place(control.x, control.y);
        const wxSize extent = Extent(control.width, control.height);
        switch (control.kind) {
        case Kind::Label:
            new wxStaticText(this, control.id, control.text, place, extent, wxST_NO_AUTORESIZE);
            break;
        case Kind::GroupFrame:
            new wxStaticBox(this, control.id, control.text, place, extent);
            break;
        case Kind::Radio:
        case Kind::RadioStartingGroup: {
            auto* radio = new wxRadioButton(this, control.id, control.text, place, extent,
                                            control.kind == Kind::RadioStartingGroup ? wxRB_GROUP : 0);
            // Tab moves between check boxes and the button; the arrows move within a group.
            radio->DisableFocusFromKeyboard();
            FitAroundPlace(*radio, place, extent);
            break;
        }
        case Kind::CheckBox:
            FitAroundPlace(*new wxCheckBox(this, control.id, control.text, place, extent), place, extent);
            break;
        }
    }

    // The two additions sit in the free corner right of "Tyrant Type:", so
    // every control of the template keeps its place.
    new wxStaticBox(this, wxID_ANY, "Seed:", Place(190, 222), Extent(130, 30));
    seedField_ = new wxTextCtrl(this, kSeed, wxEmptyString, Place(198, 234), Extent(114, 13));
    seedField_->SetHint("current time");
    seedField_->SetToolTip("Leave empty to seed from the current time. The seed used is shown here once "
                           "Generate Seed is pressed, so the same seed can be made again.");
    new wxStaticBox(this, wxID_ANY, "Output folder:", Place(190, 255), Extent(130, 33));
    outputFolder_ = new wxDirPickerCtrl(this, kOutputFolder, wxGetCwd(), "Folder for the item list and cheat sheet",
                                        Place(198, 267), Extent(114, 14),
                                        wxDIRP_USE_TEXTCTRL | wxDIRP_DIR_MUST_EXIST | wxDIRP_SMALL);
    outputFolder_->SetToolTip("The item list and the cheat sheet are written here.");
    ShowEndOfFolder();
    outputFolder_->Bind(wxEVT_DIRPICKER_CHANGED, [this](wxFileDirPickerEvent& event) {
        ShowEndOfFolder();
        event.Skip();
    });

    logText_ = new wxTextCtrl(this, kStatusLog, kPrompt, Place(7, 292), Extent(315, 76),
                              wxTE_MULTILINE | wxTE_READONLY | wxBORDER_SUNKEN);
    new wxButton(this, kGenerate, "Generate Seed", Place(7, 384), Extent(69, 14));

    completionNotice_ = new wxStaticText(this, kCompletionNotice, kCompletionText, Place(183, 373), Extent(139, 25),
                                         wxST_NO_AUTORESIZE);
    completionNotice_->Wrap(completionNotice_->GetSize().GetWidth());
    completionNotice_->Hide();
    failureNotice_ = new wxStaticText(this, kFailureNoticeId, wxEmptyString, Place(82, 371), Extent(240, 27),
                                      wxST_NO_AUTORESIZE);
    failureNotice_->SetForegroundColour(*wxRED);
    failureNotice_->Hide();

    FindWindow(kVersion)->SetLabel(kVersionString);
}

// A long path shows its last folder, the part that tells folders apart.
void CTarvennaDlg::ShowEndOfFolder()
{
    if (wxTextCtrl* text = outputFolder_->GetTextCtrl()) text->SetInsertionPointEnd();
}

void CTarvennaDlg::SyncControls()
{
    for (int id : FormModel::Inputs()) {
        const bool enabled = form_.IsEnabled(id);
        if (id == kSeed) {
            // Read-only rather than disabled, so that the seed used can still be copied.
            seedField_->SetEditable(enabled);
            continue;
        }
        wxWindow* window = FindWindow(id);
        window->Enable(enabled);
        if (auto* box = dynamic_cast<wxCheckBox*>(window)) {
            box->SetValue(form_.IsChecked(id));
        } else if (auto* radio = dynamic_cast<wxRadioButton*>(window)) {
            if (form_.IsChecked(id)) radio->SetValue(true);
        }
    }
}

void CTarvennaDlg::OnCheckBox(wxCommandEvent& event)
{
    form_.Click(event.GetId());
    SyncControls();
}

void CTarvennaDlg::OnRadioButton(wxCommandEvent& event)
{
    form_.Click(event.GetId());
    SyncControls();
}

void CTarvennaDlg::OnGenerate(wxCommandEvent&)
{
    if (form_.InputsDisabledForGood()) return;

    const SeedChoice seed = ParseSeedField(seedField_->GetValue().utf8_string());
    if (seed.kind == SeedChoice::Kind::Invalid) {
        wxMessageBox("The seed must be a whole number from 0 to 4294967295.\n"
                     "Leave it empty to seed from the current time.",
                     "Tarvenna", wxOK | wxICON_WARNING, this);
        seedField_->SetFocus();
        seedField_->SelectAll();
        return;
    }
    // The typed text, not the picker's last valid path: a mistyped folder
    // must not send the files somewhere else.
    const wxString folder = outputFolder_->GetTextCtrl() != nullptr ? outputFolder_->GetTextCtrlValue()
                                                                    : outputFolder_->GetPath();
    if (folder.empty() || !wxDirExists(folder)) {
        wxMessageBox("The output folder \"" + folder + "\" does not exist.\nChoose a folder for the seed's files.",
                     "Tarvenna", wxOK | wxICON_WARNING, this);
        return;
    }

    RunOptions options;
    options.seed = seed.kind == SeedChoice::Kind::Fixed ? seed.seed : SeedFromClock();
    options.outputDirectory = PathFromUtf8(folder.utf8_string());
    options.stop = &stop_;
    options.threads = std::max(1u, std::thread::hardware_concurrency());

    settings_ = form_.CollectSettings();
    logText_->Clear();
    form_.DisableInputsForGood();
    SyncControls();
    seedField_->ChangeValue(wxString::Format("%u", options.seed));
    StartGeneration(options);
}

void CTarvennaDlg::StartGeneration(const RunOptions& options)
{
    // The listener runs on the worker thread; the log control is only touched
    // on the window's own thread.
    // A long search sends thousands of progress marks a second: they are
    // gathered here and the window appends whatever has gathered at once,
    // so that it stays responsive.
    statusLog_.SetListener([this](std::string_view text) {
        std::lock_guard lock(pendingMutex_);
        pendingLog_.append(text);
        if (!flushQueued_) {
            flushQueued_ = true;
            CallAfter([this] { FlushLog(); });
        }
    });
    worker_ = std::thread([this, options] {
        GenerateResult result;
        std::string exceptionText;
        try {
            result = GenerateSeed(settings_, options, state_, statusLog_);
        } catch (const std::exception& error) {
            exceptionText = error.what();
        }
        CallAfter([this, result, exceptionText] { OnGenerationFinished(result, exceptionText); });
    });
}

void CTarvennaDlg::FlushLog()
{
    std::string text;
    {
        std::lock_guard lock(pendingMutex_);
        text.swap(pendingLog_);
        flushQueued_ = false;
    }
    if (!text.empty()) logText_->AppendText(ToWx(text));
}

void CTarvennaDlg::OnGenerationFinished(const GenerateResult& result, const std::string& exceptionText)
{
    if (worker_.joinable()) worker_.join();
    if (result.stopped) return;
    if (!exceptionText.empty()) {
        ShowFailure("Generation failed: " + ToWx(exceptionText) + ".");
    } else if (result.itemsNeverPass) {
        ShowFailure("Internal error: no deal of the items can ever pass with this seed and these settings. "
                    "Try another seed.");
    } else if (result.outputFailed) {
        ShowFailure("Could not write " + ToWx(result.outputError) +
                    ". Choose another output folder and run Tarvenna again.");
    } else {
        completionNotice_->Show();
    }
}

void CTarvennaDlg::ShowFailure(const wxString& text)
{
    failureNotice_->SetLabel(text);
    failureNotice_->Wrap(failureNotice_->GetSize().GetWidth());
    failureNotice_->SetToolTip(text);
    failureNotice_->Show();
}

void CTarvennaDlg::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
        Close();
        return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        // Enter closes the window as the default accept would, except where
        // it has a job of its own: pressing a button or ending a text entry.
        const wxWindow* focus = FindFocus();
        const bool handledByFocus = dynamic_cast<const wxButton*>(focus) != nullptr ||
                                    dynamic_cast<const wxTextCtrl*>(focus) != nullptr;
        if (!handledByFocus) {
            Close();
            return;
        }
    }
    event.Skip();
}

void CTarvennaDlg::OnClose(wxCloseEvent& event)
{
    // The item shuffle checks the flag between attempts, so the join is short.
    StopWorker();
    event.Skip();
}

void CTarvennaDlg::StopWorker()
{
    stop_.store(true);
    if (worker_.joinable()) worker_.join();
}
