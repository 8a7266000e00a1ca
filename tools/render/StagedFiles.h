#pragma once

#include <juce_core/juce_core.h>

/**
    The files a render writes, each first to a hidden temporary file beside its target. Nothing
    the user had changes until commit(), which renames them all into place; destroying the set
    without committing removes every temporary file, so a failure leaves the disk as it was.
*/
class StagedFiles
{
public:
    StagedFiles() = default;

    /** Removes the temporary files of anything not committed. */
    ~StagedFiles() = default;

    /** Adds a target and returns the temporary file to write instead. */
    juce::File stage (const juce::File& target);

    /** Checks, just before the renames, that no target exists (unless replacing is allowed: the
        render refused to start over existing files otherwise, so one there now appeared since)
        and that none is a directory now.
    */
    juce::Result checkTargetsStillFree (bool replaceExisting) const;

    /** The same result, with each temporary file's path in its message replaced by its target's. */
    juce::Result nameTargetsIn (const juce::Result& result) const;

    /** Renames every temporary file onto its target. */
    juce::Result commit();

private:
    juce::OwnedArray<juce::TemporaryFile> files;

    JUCE_DECLARE_NON_COPYABLE (StagedFiles)
};

/** True when the stream's file opened and is empty from the start: a temporary file that
    already held something must not keep a tail of it behind what is written now.
*/
bool isOpenAndEmpty (juce::FileOutputStream& stream);
