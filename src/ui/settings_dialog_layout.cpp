// The settings dialog's controls and their places: the dialog template, the
// additions in its free places, and the layout in dialog units.
#include "ui/settings_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/filefn.h>
#include <wx/filepicker.h>
#include <wx/gauge.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/version.h"
#include "ui/dialog_text.h"
#include "ui/tarvenna_icon.h"

namespace tarvenna {

using namespace control_id;

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
// The template's 405 and a row for the share code.
constexpr int kDialogHeight = 423;

constexpr const char* kPrompt = "Choose your seed settings and then press the Generate Seed button.";
constexpr const char* kCompletionText =
    "All done! You can close this window. Launch the game and on the main menu launch Hollowgate.exe";

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

SettingsDialog::SettingsDialog(wxWindow* parent, wxConfigBase* config)
    : wxDialog(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxDIALOG_NO_PARENT),
      config_(config != nullptr ? config : wxConfigBase::Get()), logTimer_(this)
{
    SetIcons(MakeTarvennaIcons());
    // The layout is in dialog units of the template's 8 point font; the
    // platform's own face keeps the look native.
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(8);
    SetFont(font);
    CreateControls();
    RestoreChoices();
    SyncControls();
    CentreOnScreen();

    Bind(wxEVT_CHECKBOX, &SettingsDialog::OnCheckBox, this);
    Bind(wxEVT_RADIOBUTTON, &SettingsDialog::OnRadioButton, this);
    Bind(wxEVT_BUTTON, &SettingsDialog::OnGenerate, this, kGenerate);
    Bind(wxEVT_BUTTON, &SettingsDialog::OnResetDefaults, this, kResetDefaults);
    Bind(wxEVT_BUTTON, &SettingsDialog::OnLoadCode, this, kLoadCode);
    Bind(wxEVT_TEXT_ENTER, &SettingsDialog::OnLoadCode, this, kLoadCodeField);
    Bind(wxEVT_BUTTON, &SettingsDialog::OnCopyShareCode, this, kCopyShareCode);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { FlushLog(); });
    Bind(wxEVT_CHAR_HOOK, &SettingsDialog::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &SettingsDialog::OnClose, this);
    Bind(wxEVT_DPI_CHANGED, &SettingsDialog::OnDpiChanged, this);
}

SettingsDialog::~SettingsDialog() { StopWorker(); }

wxPoint SettingsDialog::Place(int x, int y) const { return ConvertDialogToPixels(wxPoint(x, y)); }

wxSize SettingsDialog::Extent(int width, int height) const { return ConvertDialogToPixels(wxSize(width, height)); }

template <typename Control>
Control* SettingsDialog::Put(Control* window, wxRect units, Fit fit)
{
    placements_.push_back({window, units, fit});
    return window;
}

void SettingsDialog::LayOut()
{
    SetClientSize(Extent(kDialogWidth, kDialogHeight));
    for (const auto& [window, units, fit] : placements_) {
        const wxPoint place = Place(units.x, units.y);
        const wxSize extent = Extent(units.width, units.height);
        if (fit == Fit::AroundPlace) {
            FitAroundPlace(*window, place, extent);
            continue;
        }
        window->SetSize(wxRect(place, extent));
        if (fit == Fit::WrappedText) {
            auto& label = static_cast<wxStaticText&>(*window);
            ShowWrapped(label, label.GetLabel());
        }
    }
}

void SettingsDialog::OnDpiChanged(wxDPIChangedEvent&)
{
    // The toolkit has scaled the fonts; the places follow them. Handled, not
    // skipped: the window's new size is the layout's.
    LayOut();
    Refresh();
}

void SettingsDialog::CreateControls()
{
    for (const TemplateControl& control : kTemplate) {
        const wxRect units(control.x, control.y, control.width, control.height);
        switch (control.kind) {
        case Kind::Label:
            Put(new wxStaticText(this, control.id, control.text, wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE),
                units);
            break;
        case Kind::GroupFrame:
            Put(new wxStaticBox(this, control.id, control.text), units);
            break;
        case Kind::Radio:
        case Kind::RadioStartingGroup: {
            auto* radio = new wxRadioButton(this, control.id, control.text, wxDefaultPosition, wxDefaultSize,
                                            control.kind == Kind::RadioStartingGroup ? wxRB_GROUP : 0);
            // Tab moves between check boxes and the button; the arrows move within a group.
            radio->DisableFocusFromKeyboard();
            Put(radio, units, Fit::AroundPlace);
            break;
        }
        case Kind::CheckBox:
            Put(new wxCheckBox(this, control.id, control.text), units, Fit::AroundPlace);
            break;
        }
    }

    // The two additions sit in the free corner right of "Tyrant Type:", so
    // every control of the template keeps its place.
    Put(new wxStaticBox(this, wxID_ANY, "Seed:"), {190, 222, 130, 30});
    seedField_ = Put(new wxTextCtrl(this, kSeed, wxEmptyString), {198, 234, 114, 13});
    seedField_->SetHint("current time");
    seedField_->SetToolTip("Leave empty to seed from the current time. The seed used is shown here once "
                           "Generate Seed is pressed, so the same seed can be made again.");
    Put(new wxStaticBox(this, wxID_ANY, "Output folder:"), {190, 255, 130, 33});
    outputFolder_ = Put(new wxDirPickerCtrl(this, kOutputFolder, wxGetCwd(), "Folder for the item list and cheat sheet",
                                            wxDefaultPosition, wxDefaultSize,
                                            wxDIRP_USE_TEXTCTRL | wxDIRP_DIR_MUST_EXIST | wxDIRP_SMALL),
                        {198, 267, 114, 14});
    outputFolder_->SetToolTip("The item list and the cheat sheet are written here.");
    outputFolder_->Bind(wxEVT_DIRPICKER_CHANGED, [this](wxFileDirPickerEvent& event) {
        ShowEndOfFolder();
        event.Skip();
    });

    logText_ = Put(new wxTextCtrl(this, kStatusLog, kPrompt, wxDefaultPosition, wxDefaultSize,
                                  wxTE_MULTILINE | wxTE_READONLY | wxBORDER_SUNKEN),
                   {7, 292, 315, 76});
    Put(new wxButton(this, kGenerate, "Generate Seed"), {7, 384, 69, 14});

    completionNotice_ = Put(new wxStaticText(this, kCompletionNotice, kCompletionText, wxDefaultPosition, wxDefaultSize,
                                             wxST_NO_AUTORESIZE),
                            {183, 373, 139, 25}, Fit::WrappedText);
    completionNotice_->Hide();
    failureNotice_ = Put(
        new wxStaticText(this, kFailureNoticeId, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE),
        {82, 371, 240, 27}, Fit::WrappedText);
    failureNotice_->SetForegroundColour(*wxRED);
    failureNotice_->Hide();
    // A long search's progress takes the notices' place while it runs.
    searchProgressText_ = Put(new wxStaticText(this, kSearchProgressText, wxEmptyString, wxDefaultPosition,
                                               wxDefaultSize, wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END),
                              {82, 372, 240, 9});
    searchProgress_ = Put(new wxGauge(this, kSearchProgress, kProgressSteps, wxDefaultPosition, wxDefaultSize,
                                      wxGA_HORIZONTAL | wxGA_SMOOTH),
                          {82, 384, 240, 12});
    searchProgressText_->Hide();
    searchProgress_->Hide();

    FindWindow(kVersion)->SetLabel(kVersionString);
    CreateSharingControls();
    LayOut();
    ShowEndOfFolder();
}

void SettingsDialog::CreateSharingControls()
{
    // The template's free places keep the window short: a friend's code
    // below "Play As:" and "Difficulty:", whose settings it fills in ...
    loadCodeField_ =
        Put(new wxTextCtrl(this, kLoadCodeField, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER),
            {7, 104, 72, 13});
    loadCodeField_->SetHint("shared code");
    loadCodeField_->SetToolTip("Paste a code another player shared: its settings and seed fill the form.");
    auto* load = Put(new wxButton(this, kLoadCode, wxString::FromUTF8("Load code\u2026")), {82, 103, 47, 14});
    loadCodeField_->MoveAfterInTabOrder(FindWindow(kHard));
    load->MoveAfterInTabOrder(loadCodeField_);

    // ... the spoiler and the reset below "Enemies:" ...
    auto* spoiler = Put(new wxCheckBox(this, kSpoiler, "Spoiler file"), {235, 197, 77, 10}, Fit::AroundPlace);
    spoiler->SetToolTip("Also write a spoiler file (where every item and enemy went) with the pair.");
    auto* reset = Put(new wxButton(this, kResetDefaults, "Reset to defaults"), {227, 208, 93, 13});
    spoiler->MoveAfterInTabOrder(FindWindow(kElderCrimsonHeads));
    reset->MoveAfterInTabOrder(spoiler);

    // ... and the check words beside Generate, where only a failure would
    // show. The share code gets a row of its own below the template.
    checkWords_ = Put(new wxStaticText(this, kCheckWords, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                       wxST_NO_AUTORESIZE | wxALIGN_CENTRE_HORIZONTAL),
                      {82, 371, 98, 27}, Fit::WrappedText);
    wxFont large = GetFont();
    large.SetPointSize(11);
    checkWords_->SetFont(large.Bold());
    checkWords_->SetToolTip("The game's check words: players with the same words have the same game.");
    Put(new wxStaticText(this, wxID_ANY, "Share code:"), {7, 406, 40, 8});
    shareCode_ = Put(new wxTextCtrl(this, kShareCode, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_READONLY),
                     {50, 404, 223, 13});
    shareCode_->SetHint("made by Generate Seed");
    shareCode_->SetToolTip("Pass this code on: it makes the same game in Tarvenna elsewhere.");
    Put(new wxButton(this, kCopyShareCode, "Copy"), {277, 403, 45, 14})->Disable();
}

// A long path shows its last folder, the part that tells folders apart.
void SettingsDialog::ShowEndOfFolder()
{
    if (wxTextCtrl* text = outputFolder_->GetTextCtrl()) text->SetInsertionPointEnd();
}

} // namespace tarvenna
