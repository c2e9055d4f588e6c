#include "info/NewsFeedClient.h"
#include "info/NewsRequest.h"

#include <limits>

NewsFeedClient::NewsFeedClient (const juce::String& folder, const juce::String& query,
                                const juce::String& brandNewsAddress, const juce::String& makerNewsAddress)
    : juce::Thread ("KvoNewsFeedClient"),
      brandNewsUrl (brandNewsAddress),
      makerNewsUrl (makerNewsAddress),
      dataFolder (folder),
      systemQuery (query)
{
    loadRecord();

    newsView = std::make_unique<KvoHtmlTextEdit>();
    setUpNewsView (*newsView);

    // A mouse-up anywhere on the news, its scroll bar included, dismisses it.
    newsView->addMouseListener (this, true);
    addChildComponent (*newsView);

    // A record that already counts the most starts an int holds stays there
    // rather than wrapping round to the most negative count, which would put
    // the next check off for good.
    if (startsSinceNews < std::numeric_limits<int>::max())
        ++startsSinceNews;

    if (startsSinceNews > startsBetweenChecks)
        checkForNews();
}

void NewsFeedClient::setUpNewsView (KvoHtmlTextEdit& view)
{
    view.editor->setScrollbarsShown (true);
    view.fontSize = view.savedSize = 14.0f;
    view.doSetFont();
    view.linkColour = juce::Colour (0xFFA0A0FF);
    view.editor->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xFF202020));
    view.editor->setIndents (5, 0);
}

NewsFeedClient::~NewsFeedClient()
{
    stopTimer();
    // The request gives up within a few milliseconds of being asked, so the
    // thread ends by itself long before the time-out.
    stopThread (stopTimeoutMs);
    // Its last act may have been to start the timer.
    stopTimer();
    saveRecord();
}

void NewsFeedClient::checkForNews()
{
    newsView->clearHtml();
    startThread();
}

juce::String NewsFeedClient::fetch (const juce::String& address)
{
    const auto result = NewsRequest::get (juce::URL (address), [this] { return threadShouldExit(); });

    if (result.succeeded)
        return result.body;

    ++failedRequests;
    startsSinceNews = 100;
    return {};
}

void NewsFeedClient::run()
{
    // Both servers are asked, always in this order; the second is not a
    // fallback for the first.
    auto text = fetch (brandNewsUrl);

    if (threadShouldExit())
        return;

    const auto second = fetch (makerNewsUrl + systemQuery);

    if (threadShouldExit())
        return;

    if (second.isNotEmpty())
        text << "<br>" << second;

    {
        const juce::ScopedLock lock (newsLock);
        newsText = text;
    }

    if (text.isNotEmpty())
        startTimer (handOverDelayMs);
}

juce::String NewsFeedClient::getNewsText() const
{
    const juce::ScopedLock lock (newsLock);
    return newsText;
}

void NewsFeedClient::timerCallback()
{
    stopTimer();
    startsSinceNews = 0;
    juce::Desktop::getInstance().getAnimator().fadeIn (newsView.get(), fadeMilliseconds);

    newsView->clearHtml();
    newsView->appendHtml (getNewsText());
    newsView->editor->moveCaretToTop (false);
}

void NewsFeedClient::resized()
{
    newsView->setBounds (0, 0, getWidth(), getHeight());
}

void NewsFeedClient::mouseUp (const juce::MouseEvent&)
{
    juce::Desktop::getInstance().getAnimator().fadeOut (newsView.get(), fadeMilliseconds);
}

juce::File NewsFeedClient::recordFile() const
{
    return juce::File (dataFolder + recordFileName);
}

void NewsFeedClient::loadRecord()
{
    const auto record = NewsRecord::load (recordFile());
    failedRequests = record.failedRequests;
    startsSinceNews = record.startsSinceNews;
    eulaShown = record.eulaShown;
}

void NewsFeedClient::saveRecord() const
{
    // A record that cannot be written is lost; there is no one to tell.
    NewsRecord { failedRequests.load(), startsSinceNews.load(), eulaShown }.save (recordFile());
}
