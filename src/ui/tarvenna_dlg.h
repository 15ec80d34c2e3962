#pragma once

#include <mutex>
#include <string>
#include <thread>

#include <wx/dialog.h>

#include "driver/generate_seed.h"
#include "core/generator_state.h"
#include "core/settings.h"
#include "core/status_log.h"
#include "ui/form_model.h"

class wxDirPickerCtrl;
class wxStaticText;
class wxTextCtrl;

// The settings dialog: the program's only window. It owns the generator state
// of the one run, mirrors the form model in its controls and runs the
// generator on a worker thread so that the window keeps repainting.
class CTarvennaDlg : public wxDialog {
public:
    // Shown in place of the completion notice when the run went wrong.
    static constexpr int kFailureNoticeId = 1042;

    explicit CTarvennaDlg(wxWindow* parent = nullptr);
    ~CTarvennaDlg() override;

    CTarvennaDlg(const CTarvennaDlg&) = delete;
    CTarvennaDlg& operator=(const CTarvennaDlg&) = delete;

    const tarvenna::FormModel& Form() const { return form_; }
    bool IsGenerating() const { return worker_.joinable(); }

private:
    void CreateControls();
    void SyncControls();
    void ShowEndOfFolder();
    wxPoint Place(int x, int y) const;
    wxSize Extent(int width, int height) const;

    void OnCheckBox(wxCommandEvent& event);
    void OnRadioButton(wxCommandEvent& event);
    void OnGenerate(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    void StartGeneration(const tarvenna::RunOptions& options);
    void FlushLog();
    void OnGenerationFinished(const tarvenna::GenerateResult& result, const std::string& exceptionText);
    void ShowFailure(const wxString& text);
    void StopWorker();

    tarvenna::FormModel form_;

    // Written by the worker thread while a run is on; the window only reads
    // them after the worker has been joined.
    tarvenna::Settings settings_;
    tarvenna::GeneratorState state_;
    tarvenna::StatusLog statusLog_;
    tarvenna::StopFlag stop_{false};
    std::thread worker_;
    std::mutex pendingMutex_;   // guards the two below, shared with the worker
    std::string pendingLog_;    // status text not yet in the log control
    bool flushQueued_ = false;  // a FlushLog call is on its way

    wxTextCtrl* logText_ = nullptr;
    wxStaticText* completionNotice_ = nullptr;
    wxStaticText* failureNotice_ = nullptr;
    wxTextCtrl* seedField_ = nullptr;
    wxDirPickerCtrl* outputFolder_ = nullptr;
};
