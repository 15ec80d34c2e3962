#include "output/output_files.h"

#include "core/utf8_path.h"
#include "output/cheat_sheet_file.h"
#include "output/file_set.h"
#include "output/item_list_file.h"

namespace tarvenna {

OutputResult WriteOutputFiles(const Settings& settings, const GeneratorState& state, StatusLog& statusLog,
                              const std::filesystem::path& directory, FileSystem& disk,
                              const std::vector<OutputFile>& extraFiles)
{
    std::vector<OutputFile> files = {{ItemListFileName(settings), ItemListText(settings, state)},
                                     {CheatSheetFileName(settings), CheatSheetText(settings, state)}};
    files.insert(files.end(), extraFiles.begin(), extraFiles.end());
    // Each line opens before its file is written. The last stays open until
    // the pair is in place.
    statusLog.AppendStatus("Writing to " + files.front().name + " . . .");
    const FileSetResult written = WriteFileSet(directory, files, disk, [&](std::size_t staged) {
        if (staged + 1 == files.size()) return;
        statusLog.AppendStatus("done!\n");
        statusLog.AppendStatus("Writing to " + files[staged + 1].name + " . . .");
    });
    OutputResult result;
    if (!written.failed) {
        statusLog.AppendStatus("done!\n");
        for (const OutputFile& file : files) result.names.push_back(file.name);
        return result;
    }
    // The open line is the last file's; a failure that belongs to another
    // file (its rename) names that one.
    const std::string& name = files[written.failedFile].name;
    const bool ownLine = written.failedFile + 1 == files.size() || !written.inCommit;
    statusLog.AppendStatus("failed: " + (ownLine ? "" : name + ": ") + written.reason + "\n");
    result.failed = true;
    result.error = Utf8FromPath(directory / name) + ": " + written.reason;
    return result;
}

} // namespace tarvenna
