#include "output/output_files.h"

#include <algorithm>

#include "core/utf8_path.h"
#include "output/cheat_sheet_file.h"
#include "output/file_set.h"
#include "output/item_list_file.h"

namespace tarvenna {
namespace {

FileSetOptions SetOptions(const LockWait& wait)
{
    FileSetOptions options;
    for (const Character character : {Character::Jill, Character::Chris}) {
        for (const Difficulty difficulty : {Difficulty::Normal, Difficulty::Hard}) {
            Settings settings;
            settings.character = character;
            settings.difficulty = difficulty;
            options.knownSets.push_back(OutputFileNames(settings));
            options.knownSets.push_back({SpoilerFileName(settings)}); // a checked file's spoiler alone
        }
    }
    options.wait = wait;
    return options;
}

// What failed, as the front ends name it: a path and the reason.
std::string FailurePath(const std::filesystem::path& directory, const FileSetResult& written)
{
    const std::filesystem::path path = written.subject.empty() ? directory : directory / written.subject;
    return Utf8FromPath(path) + ": " + written.reason;
}

OutputResult Failed(const std::filesystem::path& directory, const FileSetResult& written)
{
    OutputResult result;
    result.stopped = written.stopped;
    result.failed = written.failed;
    if (written.failed) result.error = FailurePath(directory, written);
    return result;
}

} // namespace

std::string SpoilerFileName(const Settings& settings)
{
    return std::string("Spoiler") + CharacterName(settings.character) + DifficultyName(settings.difficulty) + ".json";
}

std::vector<std::string> OutputFileNames(const Settings& settings)
{
    return {ItemListFileName(settings), CheatSheetFileName(settings), SpoilerFileName(settings)};
}

OutputResult WriteOutputFiles(const Settings& settings, const GeneratorState& state, StatusLog& statusLog,
                              const std::filesystem::path& directory, FileSystem& disk,
                              const std::vector<OutputFile>& extraFiles, const LockWait& wait)
{
    std::vector<OutputFile> files = {{ItemListFileName(settings), ItemListText(settings, state)},
                                     {CheatSheetFileName(settings), CheatSheetText(settings, state)}};
    files.insert(files.end(), extraFiles.begin(), extraFiles.end());
    FileSetOptions options = SetOptions(wait);
    for (const std::string& name : OutputFileNames(settings)) {
        const bool written =
            std::any_of(files.begin(), files.end(), [&](const OutputFile& f) { return f.name == name; });
        if (!written) options.removed.push_back(name);
    }
    // Each line opens before its file is written. The last stays open until
    // the pair is in place.
    statusLog.AppendStatus("Writing to " + files.front().name + " . . .");
    options.onStaged = [&](std::size_t staged) {
        if (staged + 1 == files.size()) return;
        statusLog.AppendStatus("done!\n");
        statusLog.AppendStatus("Writing to " + files[staged + 1].name + " . . .");
    };
    const FileSetResult written = WriteFileSet(directory, files, disk, options);
    if (!written.failed && !written.stopped) {
        statusLog.AppendStatus("done!\n");
        OutputResult result;
        for (const OutputFile& file : files) result.names.push_back(file.name);
        return result;
    }
    if (written.failed) {
        // A failure that belongs to another file than the open line's names it.
        const bool ownLine = written.subject == files[written.openFile].name;
        statusLog.AppendStatus("failed: " + (ownLine || written.subject.empty() ? "" : written.subject + ": ") +
                               written.reason + "\n");
    }
    return Failed(directory, written);
}

OutputResult CheckOutputFolder(const Settings& settings, StatusLog& statusLog, const std::filesystem::path& directory,
                               FileSystem& disk, const LockWait& wait)
{
    const FileSetResult checked = PrepareFolder(directory, OutputFileNames(settings), disk, SetOptions(wait));
    if (checked.failed)
        statusLog.AppendStatus("failed: " + (checked.subject.empty() ? "" : checked.subject + ": ") + checked.reason +
                               "\n");
    return Failed(directory, checked);
}

OutputResult WriteSpoilerAlone(const Settings& settings, const std::string& content,
                               const std::filesystem::path& directory, FileSystem& disk)
{
    const FileSetResult written = WriteFileSet(directory, {{SpoilerFileName(settings), content}}, disk, SetOptions({}));
    OutputResult result = Failed(directory, written);
    if (!written.failed) result.names.push_back(SpoilerFileName(settings));
    return result;
}

} // namespace tarvenna
