// The settings dialog at work: the form's clicks, remembered choices, share
// codes, and the run on a worker thread with its log and outcome.
#include "ui/settings_dialog.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/filefn.h>
#include <wx/filepicker.h>
#include <wx/gauge.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/processors.h"
#include "core/utf8_path.h"
#include "ui/dialog_text.h"

namespace tarvenna {

using namespace control_id;

namespace {

// Where the choices are remembered.
constexpr const char* kChoicesGroup = "/Choices";
constexpr const char* kFolderKey = "/Output/Folder";

} // namespace

void SettingsDialog::SyncControls()
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

void SettingsDialog::RestoreChoices()
{
    if (config_ == nullptr) return;
    const wxLogNull quiet; // choices that cannot be read are the defaults
    StoredChoices stored;
    const wxString oldPath = config_->GetPath();
    config_->SetPath(kChoicesGroup);
    wxString key;
    long cookie = 0;
    for (bool more = config_->GetFirstEntry(key, cookie); more; more = config_->GetNextEntry(key, cookie)) {
        stored[key.utf8_string()] = config_->Read(key).utf8_string();
    }
    config_->SetPath(oldPath);
    form_.RestoreChoices(stored);

    // A folder since removed leaves the current one.
    wxString folder;
    if (config_->Read(kFolderKey, &folder) && wxDirExists(folder)) {
        outputFolder_->SetPath(folder);
        ShowEndOfFolder();
    }
}

void SettingsDialog::RememberChoices()
{
    if (config_ == nullptr) return;
    const wxLogNull quiet; // a store that cannot be written only forgets
    config_->DeleteGroup(kChoicesGroup);
    for (const auto& [key, value] : form_.StoreChoices()) {
        config_->Write(wxString(kChoicesGroup) + "/" + wxString::FromUTF8(key), wxString::FromUTF8(value));
    }
    config_->Write(kFolderKey, outputFolder_->GetPath());
    config_->Flush();
}

void SettingsDialog::OnCheckBox(wxCommandEvent& event)
{
    form_.Click(event.GetId());
    SyncControls();
}

void SettingsDialog::OnRadioButton(wxCommandEvent& event)
{
    form_.Click(event.GetId());
    SyncControls();
}

void SettingsDialog::OnGenerate(wxCommandEvent&)
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
    const wxString folder =
        outputFolder_->GetTextCtrl() != nullptr ? outputFolder_->GetTextCtrlValue() : outputFolder_->GetPath();
    if (folder.empty() || !wxDirExists(folder)) {
        wxMessageBox("The output folder \"" + folder + "\" does not exist.\nChoose a folder for the seed's files.",
                     "Tarvenna", wxOK | wxICON_WARNING, this);
        return;
    }

    GameRequest request;
    request.settings = form_.CollectSettings();
    request.seed = seed.kind == SeedChoice::Kind::Fixed ? seed.seed : SeedFromClock();
    request.folder = PathFromUtf8(folder.utf8_string());
    request.spoiler = form_.WantsSpoiler();
    request.threads = ProcessorCount();
    request.stop = &stop_;
    // A loaded code's game: the run says whether this build made that game.
    if (loadedGame_ && loadedGame_->settings == request.settings && loadedGame_->seed == request.seed)
        request.expectedCheckValue = loadedGame_->checkValue;
    request.onWaitingForFolder = [this] {
        CallAfter([this] { ShowNotice("Waiting for another Tarvenna run in this folder...", false); });
    };
    request.onSearchProgress = [this](const SearchProgress& progress) {
        std::lock_guard lock(logMutex_);
        latestProgress_ = progress;
        progressChanged_ = true;
    };
    request.generate = [this](const Settings& settings, const RunOptions& options, GeneratorState& state,
                              StatusLog& statusLog) { return Generate(settings, options, state, statusLog); };
    RememberChoices();
    logText_->Clear();
    form_.DisableInputsForGood();
    SyncControls();
    seedField_->ChangeValue(wxString::Format("%u", request.seed));
    StartGeneration(request);
}

void SettingsDialog::OnResetDefaults(wxCommandEvent&)
{
    if (form_.InputsDisabledForGood()) return;
    form_ = FormModel();
    seedField_->ChangeValue(wxEmptyString);
    SyncControls();
}

void SettingsDialog::OnLoadCode(wxCommandEvent&)
{
    if (form_.InputsDisabledForGood()) return;
    const ShareCodeReading reading = ReadShareCode(loadCodeField_->GetValue().utf8_string());
    if (reading.error != ShareCodeError::None) {
        wxMessageBox(ToWx(reading.message), "Tarvenna", wxOK | wxICON_WARNING, this);
        return;
    }
    if (!form_.ShowSettings(reading.game.settings)) {
        wxMessageBox("The code holds settings that this dialog cannot show.", "Tarvenna", wxOK | wxICON_WARNING, this);
        return;
    }
    seedField_->ChangeValue(wxString::Format("%u", reading.game.seed));
    loadedGame_ = reading.game;
    SyncControls();
}

void SettingsDialog::OnCopyShareCode(wxCommandEvent&)
{
    if (shareCode_->IsEmpty() || !wxTheClipboard->Open()) return;
    wxTheClipboard->SetData(new wxTextDataObject(shareCode_->GetValue()));
    wxTheClipboard->Close();
    // Still there once the program has ended, where the system can keep it.
    wxTheClipboard->Flush();
}

GenerateResult SettingsDialog::Generate(const Settings& settings, const RunOptions& options, GeneratorState& state,
                                        StatusLog& statusLog)
{
    return GenerateSeed(settings, options, state, statusLog);
}

void SettingsDialog::StartGeneration(const GameRequest& request)
{
    // The listener runs on the worker thread; the log control is only touched
    // on the window's own thread. A long search sends thousands of progress
    // marks a second: the window takes up what has changed a few times a
    // second, as a short text however many marks there are, so that it keeps
    // up with the search and the completion follows the files at once.
    statusLog_.SetListener([this](std::string_view text) {
        std::lock_guard lock(logMutex_);
        logView_.Append(text);
        logChanged_ = true;
        // The timer alone is not enough: a window thread that only yields
        // (Wine's, under the tests) may not see it fire. One call at a time.
        const auto now = std::chrono::steady_clock::now();
        if (flushQueued_ || now - lastFlushQueued_ < std::chrono::milliseconds(100)) return;
        flushQueued_ = true;
        lastFlushQueued_ = now;
        CallAfter([this] { FlushLog(); });
    });
    logTimer_.Start(100);
    auto run = [this, request] {
        const GameResult result = MakeGame(request, state_, statusLog_);
        CallAfter([this, result] { OnGenerationFinished(result); });
    };
    try {
        worker_ = std::thread(run);
    } catch (const std::system_error&) {
        run(); // no thread to be had: the window waits, but the run is made
    }
}

void SettingsDialog::FlushLog()
{
    std::string shown;
    std::optional<SearchProgress> progress;
    bool logChanged = false;
    {
        std::lock_guard lock(logMutex_);
        flushQueued_ = false;
        if (progressChanged_) progress = latestProgress_;
        progressChanged_ = false;
        logChanged = logChanged_;
        logChanged_ = false;
        if (logChanged) shown = logView_.Shown();
    }
    if (progress) ShowSearchProgress(*progress);
    if (!logChanged) return;
    if (shown.starts_with(shownLog_)) {
        logText_->AppendText(ToWx(std::string_view(shown).substr(shownLog_.size())));
    } else {
        // A count of marks changed inside the text.
        logText_->ChangeValue(ToWx(shown));
        logText_->ShowPosition(logText_->GetLastPosition());
    }
    shownLog_ = std::move(shown);
}

void SettingsDialog::ShowSearchProgress(const SearchProgress& progress)
{
    const bool shown = WorthShowing(progress);
    if (shown) {
        failureNotice_->Hide(); // a wait for the folder is over once the search runs
        searchProgressText_->SetLabel(ToWx(ProgressText(progress)));
        searchProgress_->SetValue(static_cast<int>(RuledOutShare(progress) * kProgressSteps));
    }
    searchProgressText_->Show(shown);
    searchProgress_->Show(shown);
}

void SettingsDialog::OnGenerationFinished(const GameResult& result)
{
    if (worker_.joinable()) worker_.join();
    logTimer_.Stop();
    FlushLog();
    ShowSearchProgress({});
    if (result.outcome == GameOutcome::Stopped) return;
    if (!FilesWritten(result.outcome)) {
        ShowFailure(Sentence(result.message));
        return;
    }
    failureNotice_->Hide(); // a wait for the folder may have shown there
    completionNotice_->Show();
    ShowWrapped(*checkWords_, ToWx(result.identity.checkWords));
    shareCode_->ChangeValue(ToWx(result.identity.shareCode));
    FindWindow(kCopyShareCode)->Enable();
    Update();
    // Written, but with something to know: another game than the loaded code's, say.
    if (!result.message.empty()) wxMessageBox(Sentence(result.message), "Tarvenna", wxOK | wxICON_WARNING, this);
}

void SettingsDialog::ShowFailure(const wxString& text) { ShowNotice(text, true); }

void SettingsDialog::ShowNotice(const wxString& text, bool failure)
{
    failureNotice_->SetForegroundColour(failure ? *wxRED : GetForegroundColour());
    ShowWrapped(*failureNotice_, text);
    failureNotice_->SetToolTip(text);
    failureNotice_->Show();
}

void SettingsDialog::OnCharHook(wxKeyEvent& event)
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
        const bool handledByFocus =
            dynamic_cast<const wxButton*>(focus) != nullptr || dynamic_cast<const wxTextCtrl*>(focus) != nullptr;
        if (!handledByFocus) {
            Close();
            return;
        }
    }
    event.Skip();
}

void SettingsDialog::OnClose(wxCloseEvent& event)
{
    // The item shuffle checks the flag between attempts, so the join is short.
    StopWorker();
    logTimer_.Stop();
    RememberChoices();
    event.Skip();
}

void SettingsDialog::StopWorker()
{
    stop_.store(true);
    if (worker_.joinable()) worker_.join();
}
} // namespace tarvenna
