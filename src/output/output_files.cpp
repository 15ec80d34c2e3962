#include "output/output_files.h"

#include "core/utf8_path.h"
#include "output/atomic_file.h"
#include "output/cheat_sheet_file.h"
#include "output/item_list_file.h"

namespace tarvenna {
namespace {

void WriteOne(const std::filesystem::path& directory, const std::string& name, const std::string& content,
              StatusLog& statusLog, OutputResult& result)
{
    statusLog.AppendStatus("Writing to " + name + " . . .");
    const std::string error = WriteFileAtomically(directory / name, content);
    if (error.empty()) {
        statusLog.AppendStatus("done!\n");
        return;
    }
    statusLog.AppendStatus("failed: " + error + "\n");
    if (!result.failed) {
        result.failed = true;
        result.error = Utf8FromPath(directory / name) + ": " + error;
    }
}

} // namespace

OutputResult WriteOutputFiles(const Settings& settings, const GeneratorState& state, StatusLog& statusLog,
                              const std::filesystem::path& directory)
{
    OutputResult result;
    WriteOne(directory, ItemListFileName(settings), ItemListText(settings, state), statusLog, result);
    WriteOne(directory, CheatSheetFileName(settings), CheatSheetText(settings, state), statusLog, result);
    return result;
}

} // namespace tarvenna
