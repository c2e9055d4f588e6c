#include "info/NewsRecord.h"

#include <cstring>

static_assert (sizeof (juce::int32) * 3 == NewsRecord::size);

NewsRecord NewsRecord::load (const juce::File& file)
{
    juce::int32 words[3] = { 0, 0, 0 };
    juce::MemoryBlock data;

    if (file.existsAsFile() && file.getSize() == size
        && file.loadFileAsData (data) && data.getSize() == (size_t) size)
        std::memcpy (words, data.getData(), (size_t) size);

    return { words[0], words[1], words[2] };
}

bool NewsRecord::save (const juce::File& file) const
{
    const juce::int32 words[3] = { failedRequests, startsSinceNews, eulaShown };

    if (file.getParentDirectory().createDirectory().failed())
        return false;

    juce::TemporaryFile temporary (file);
    {
        juce::FileOutputStream out (temporary.getFile());

        if (! out.openedOk() || ! out.write (words, (size_t) size))
            return false;

        out.flush();

        if (out.getStatus().failed())
            return false;
    }

    return temporary.overwriteTargetFileWithTemporary();
}
