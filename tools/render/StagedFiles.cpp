#include "StagedFiles.h"

juce::File StagedFiles::stage (const juce::File& target)
{
    return files.add (new juce::TemporaryFile (target, juce::TemporaryFile::useHiddenFile))->getFile();
}

juce::Result StagedFiles::checkTargetsStillFree (bool replaceExisting) const
{
    for (auto* file : files)
    {
        const auto& target = file->getTargetFile();

        if (target.isDirectory())
            return juce::Result::fail ("cannot write " + target.getFullPathName() + ": a directory is in the way");

        // Without replacing, every target was free when the render was checked: one there now appeared since.
        if (target.exists() && ! replaceExisting)
            return juce::Result::fail (target.getFullPathName() + " appeared while rendering; nothing was replaced (use --force to replace it)");
    }

    return juce::Result::ok();
}

juce::Result StagedFiles::commit()
{
    for (auto* file : files)
        if (! file->getFile().existsAsFile())
            return juce::Result::fail ("cannot write " + file->getTargetFile().getFullPathName() + ": its temporary file is gone");

    for (auto* file : files)
        if (! file->overwriteTargetFileWithTemporary())
            return juce::Result::fail ("cannot move " + file->getFile().getFullPathName() + " to " + file->getTargetFile().getFullPathName());

    return juce::Result::ok();
}

juce::Result StagedFiles::nameTargetsIn (const juce::Result& result) const
{
    if (result.wasOk())
        return result;

    auto message = result.getErrorMessage();

    for (auto* file : files)
        message = message.replace (file->getFile().getFullPathName(), file->getTargetFile().getFullPathName());

    return juce::Result::fail (message);
}

bool isOpenAndEmpty (juce::FileOutputStream& stream)
{
    return ! stream.failedToOpen() && stream.setPosition (0) && stream.truncate().wasOk();
}
