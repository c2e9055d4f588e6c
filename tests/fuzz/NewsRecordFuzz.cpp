// The news client's record reader. Each input is written as "memory.bin"
// into a folder of the target's own and read with the loader the client
// uses: exactly twelve bytes must give their three words in the machine's
// byte order, any other length all zeros. The words are then saved and read
// back: the file is twelve bytes long and gives the same words.
//
// The folder is in memory (/dev/shm) where there is one, since saving
// flushes the record to its disk.
#include "FuzzSupport.h"

#include "info/NewsRecord.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{
    const juce::File& recordFile()
    {
        static const auto file = []
        {
            const juce::File shm ("/dev/shm");
            const auto base = shm.isDirectory() ? shm : juce::File::getSpecialLocation (juce::File::tempDirectory);
            static const auto folder = base.getChildFile ("vorsan-fuzz-news-record-"
                                                          + juce::String ((int) getpid()));
            folder.createDirectory();
            std::atexit ([] { folder.deleteRecursively(); });
            return folder.getChildFile (NewsRecord::fileName);
        }();
        return file;
    }

    bool operator== (const NewsRecord& a, const NewsRecord& b)
    {
        return a.failedRequests == b.failedRequests && a.startsSinceNews == b.startsSinceNews && a.eulaShown == b.eulaShown;
    }

    juce::String describe (const NewsRecord& r)
    {
        return "{" + juce::String (r.failedRequests) + ", " + juce::String (r.startsSinceNews) + ", "
             + juce::String (r.eulaShown) + "}";
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    startFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto& file = recordFile();
    if (! file.replaceWithData (data, size))
        fuzzFailure ("could not write the record to " + file.getFullPathName());

    const auto loaded = NewsRecord::load (file);

    NewsRecord expected;
    if (size == (size_t) NewsRecord::size)
    {
        juce::int32 words[3];
        std::memcpy (words, data, size);
        expected = { words[0], words[1], words[2] };
    }

    if (! (loaded == expected))
        fuzzFailure ("a record of " + juce::String ((juce::int64) size) + " bytes read as " + describe (loaded)
                     + ", expected " + describe (expected));

    if (! loaded.save (file))
        fuzzFailure ("could not save the record");

    if (file.getSize() != NewsRecord::size)
        fuzzFailure ("the saved record is " + juce::String (file.getSize()) + " bytes long");

    const auto again = NewsRecord::load (file);
    if (! (again == loaded))
        fuzzFailure ("saved " + describe (loaded) + " but read back " + describe (again));

    return 0;
}
