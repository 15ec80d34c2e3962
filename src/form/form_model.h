#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "settings/settings_table.h"

namespace tarvenna {

// Ids of the dialog's other controls (the settings' own are in the settings
// table). The toolkit uses them as window ids too.
namespace control_id {
inline constexpr int kGenerate = 1009;
inline constexpr int kStatusLog = 1028;
inline constexpr int kVersion = 1029;
inline constexpr int kCompletionNotice = 1030;
// Our two additions: the seed and the folder the files go to.
inline constexpr int kSeed = 1040;
inline constexpr int kOutputFolder = 1041;
// Sharing and remembering (1042 is the dialog's failure notice).
inline constexpr int kSpoiler = 1043;
inline constexpr int kResetDefaults = 1044;
inline constexpr int kLoadCodeField = 1045;
inline constexpr int kLoadCode = 1046;
inline constexpr int kCheckWords = 1047;
inline constexpr int kShareCode = 1048;
inline constexpr int kCopyShareCode = 1049;
// A long item search's progress, beside the status log.
inline constexpr int kSearchProgressText = 1050;
inline constexpr int kSearchProgress = 1051;
} // namespace control_id

// Remembered choices: key and value as text.
using StoredChoices = std::map<std::string, std::string>;

// The dialog's inputs without any toolkit: which box is checked, which control
// is enabled, and the rules that keep door and lock mode consistent. The
// window only mirrors this state and forwards clicks to it.
class FormModel {
public:
    // The state right after the dialog has opened.
    FormModel();

    bool IsChecked(int id) const;
    bool IsEnabled(int id) const;

    // A click by the user: a check box flips, a radio button becomes its
    // group's choice, and "Enemies", "Doors" and "Locks" apply their rule.
    // Returns false when the click does nothing (disabled, already chosen,
    // or not a check box or radio button).
    bool Click(int id);

    Settings CollectSettings() const;
    bool WantsSpoiler() const { return IsChecked(control_id::kSpoiler); }

    // Shows `settings` as the clicks that make them would: checked states,
    // and the controls the rules leave enabled. Settings that no clicks can
    // make, or a form frozen by Generate, are refused (false) and the form
    // stays as it was.
    bool ShowSettings(const Settings& settings);

    // The settings and the spoiler choice as text, to be remembered between
    // runs, and back. A key that is missing or unreadable keeps its default;
    // a combination the form cannot show is ignored whole (false).
    StoredChoices StoreChoices() const;
    bool RestoreChoices(const StoredChoices& stored);

    // Generate was pressed: every input goes dark and no rule fires again.
    void DisableInputsForGood();
    bool InputsDisabledForGood() const { return disabledForGood_; }

    // Every input, in the order in which Generate disables them; the seed and
    // output folder fields come last. Buttons and fields are inputs too: none
    // may change the form once it is frozen.
    static std::span<const int> Inputs();
    static bool IsCheckBox(int id);
    static bool IsRadioButton(int id);

private:
    struct ControlState {
        bool checked = false;
        bool enabled = true;
    };

    ControlState* Find(int id);
    const ControlState* Find(int id) const;
    void SetChecked(int id, bool checked);
    void SetEnabled(int id, bool enabled);
    void Select(int id);
    void ApplyRule(int clicked);

    static constexpr int kFirstId = control_id::kJill;
    static constexpr int kLastId = control_id::kLoadCode;
    ControlState controls_[kLastId - kFirstId + 1];
    bool disabledForGood_ = false;
};

// What the Seed field asks for.
struct SeedChoice {
    enum class Kind { FromClock, Fixed, Invalid };
    Kind kind = Kind::FromClock;
    std::uint32_t seed = 0; // for Fixed
};

// Empty or blank: the current time. Otherwise a seed as ParseSeedText reads
// it; anything else is invalid.
SeedChoice ParseSeedField(std::string_view text);

} // namespace tarvenna
