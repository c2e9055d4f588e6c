#pragma once

#include "info/KvoHtmlTextEdit.h"
#include "info/NewsRecord.h"
#include "info/WebAddresses.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

// The news strip at the top of the window. A check asks both news servers
// in turn on the thread "KvoNewsFeedClient"; the text they return is handed
// to the message thread by a one-shot timer and faded in over the strip. A
// mouse-up anywhere on the news fades it out again.
//
// The client also keeps the program's small record "memory.bin" in the data
// folder: three native 32-bit integers, the failed requests ever, the starts
// since news was last shown (a check starts by itself once this passes 99)
// and whether the licence text has been shown.
class NewsFeedClient : public juce::Component,
                       public juce::Thread,
                       public juce::Timer
{
public:
    // dataFolder ends with a path separator; systemQuery is appended to the
    // maker's address. The two addresses can be replaced, for tests.
    NewsFeedClient (const juce::String& dataFolder, const juce::String& systemQuery,
                    const juce::String& brandNewsAddress = WebAddresses::brandNewsUrl,
                    const juce::String& makerNewsAddress = WebAddresses::makerNewsUrl);
    ~NewsFeedClient() override;

    // Empties the strip and starts a check, unless one is running.
    void checkForNews();

    void run() override;
    void timerCallback() override;
    void resized() override;
    void mouseUp (const juce::MouseEvent& event) override;

    // The text of the last completed check.
    juce::String getNewsText() const;

    const juce::String brandNewsUrl;
    const juce::String makerNewsUrl;
    std::atomic<int> failedRequests { 0 };
    std::atomic<int> startsSinceNews { 0 };
    int eulaShown = 0;   // set by the window once it has shown the licence
    std::unique_ptr<KvoHtmlTextEdit> newsView;

    // Gives a view the look of the news: text size 14, link colour, dark
    // background, scroll bars and indents.
    static void setUpNewsView (KvoHtmlTextEdit& view);
    const juce::String dataFolder;
    const juce::String systemQuery;

    static constexpr const char* recordFileName = NewsRecord::fileName;
    static constexpr int startsBetweenChecks = 99;
    static constexpr int handOverDelayMs = 500;
    static constexpr int fadeMilliseconds = 250;
    // The longest the thread may take to end when the client goes.
    static constexpr int stopTimeoutMs = 500;

private:
    juce::String fetch (const juce::String& address);
    juce::File recordFile() const;
    void loadRecord();
    void saveRecord() const;

    // newsText is written by the check thread and read by the timer.
    juce::CriticalSection newsLock;
    juce::String newsText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NewsFeedClient)
};
