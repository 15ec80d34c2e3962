#pragma once

#include <cstdint>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "driver/generate_seed.h"
#include "game/make_game.h"
#include "core/generator_state.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "share/game_identity.h"
#include "share/share_code.h"
#include "form/form_model.h"
#include "form/log_view.h"

class wxConfigBase;
class wxDPIChangedEvent;
class wxDirPickerCtrl;
class wxGauge;
class wxStaticText;
class wxTextCtrl;

namespace tarvenna {

// The settings dialog: the program's only window. It owns the generator state
// of the one run, mirrors the form model in its controls and runs the
// generator on a worker thread so that the window keeps repainting.
class SettingsDialog : public wxDialog {
public:
    // Shown in place of the completion notice when the run went wrong.
    static constexpr int kFailureNoticeId = 1042;

    // The choices of the last run are kept in `config` (not owned; null: the
    // application's wxConfigBase::Get(), if it has one).
    explicit SettingsDialog(wxWindow* parent = nullptr, wxConfigBase* config = nullptr);
    ~SettingsDialog() override;

    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    const FormModel& Form() const { return form_; }
    bool IsGenerating() const { return worker_.joinable(); }
    // The run's whole status log, once the run has ended; the log control
    // shows it with long runs of progress marks shortened.
    const std::string& FullLog() const { return statusLog_.Text(); }

protected:
    // The run itself, on the worker thread.
    virtual GenerateResult Generate(const Settings& settings, const RunOptions& options, GeneratorState& state,
                                    StatusLog& statusLog);

private:
    static constexpr int kProgressSteps = 1000; // of the search progress gauge

    // How a control fills its place in dialog units.
    enum class Fit {
        Exact,
        AroundPlace, // check boxes and radios: at least their natural size, centred on their row
        WrappedText, // labels: the text wraps at the place's width
    };
    struct Placement {
        wxWindow* window;
        wxRect units;
        Fit fit;
    };

    void CreateControls();
    void CreateSharingControls();
    void SyncControls();
    void RestoreChoices();
    void RememberChoices();
    void ShowEndOfFolder();
    wxPoint Place(int x, int y) const;
    wxSize Extent(int width, int height) const;
    // Remembers where `window` goes; LayOut puts it there.
    template <typename Control>
    Control* Put(Control* window, wxRect units, Fit fit = Fit::Exact);
    // Places every control from its dialog units, which follow the font: on
    // a display of another scale the whole dialog scales with its text.
    void LayOut();
    void OnDpiChanged(wxDPIChangedEvent& event);

    void OnCheckBox(wxCommandEvent& event);
    void OnRadioButton(wxCommandEvent& event);
    void OnGenerate(wxCommandEvent& event);
    void OnResetDefaults(wxCommandEvent& event);
    void OnLoadCode(wxCommandEvent& event);
    void OnCopyShareCode(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    void StartGeneration(const GameRequest& request);
    void FlushLog();
    void ShowSearchProgress(const SearchProgress& progress);
    void OnGenerationFinished(const GameResult& result);
    void ShowFailure(const wxString& text);
    void ShowNotice(const wxString& text, bool failure);
    void StopWorker();

    FormModel form_;
    wxConfigBase* config_ = nullptr;
    std::vector<Placement> placements_;
    // The game of the last code loaded, to be checked against what this
    // build makes of it.
    std::optional<SharedGame> loadedGame_;

    // Written by the worker thread while a run is on; the window only reads
    // them after the worker has been joined.
    GeneratorState state_;
    StatusLog statusLog_;
    StopFlag stop_{false};
    std::thread worker_;
    std::mutex logMutex_;      // guards the six below, shared with the worker
    LogView logView_;          // the status log as shown
    bool logChanged_ = false;  // since the log control last showed it
    SearchProgress latestProgress_; // the search's latest word, shown beside the log
    bool progressChanged_ = false;
    bool flushQueued_ = false; // a FlushLog call is on its way
    std::chrono::steady_clock::time_point lastFlushQueued_;
    std::string shownLog_; // what the log control shows
    wxTimer logTimer_;     // shows the log's changes a few times a second

    wxTextCtrl* logText_ = nullptr;
    wxStaticText* completionNotice_ = nullptr;
    wxStaticText* failureNotice_ = nullptr;
    wxTextCtrl* seedField_ = nullptr;
    wxDirPickerCtrl* outputFolder_ = nullptr;
    wxStaticText* checkWords_ = nullptr;
    wxTextCtrl* shareCode_ = nullptr;
    wxTextCtrl* loadCodeField_ = nullptr;
    wxStaticText* searchProgressText_ = nullptr;
    wxGauge* searchProgress_ = nullptr;
};

} // namespace tarvenna
