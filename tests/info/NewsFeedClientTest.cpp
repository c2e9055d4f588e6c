// The news client: its record "memory.bin", the start counter, and whole
// checks against two servers of the test's own on 127.0.0.1. Without a
// display a fade shows or hides the news at once.

#include "info/NewsFeedClient.h"
#include "info/NewsRequest.h"
#include "InfoTestHelpers.h"
#include "LoopbackServer.h"
#include "../ui/UiTestHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <memory>
#include <optional>

namespace
{
    using infotest::Record;

    const juce::String query = "&osnm=Linux&lang=en";

    // Where the client keeps its record, inside a fresh folder.
    struct RecordFolder
    {
        juce::File record() const { return temporary.folder.getChildFile ("memory.bin"); }
        juce::String path() const { return temporary.path(); }
        int numberOfEntries() const
        {
            return temporary.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories);
        }

        infotest::TemporaryFolder temporary;
    };

    std::unique_ptr<NewsFeedClient> makeClient (const RecordFolder& folder,
                                                const std::string& brand = newstest::LoopbackServer::addressFor (
                                                    newstest::LoopbackServer::refusedPort()),
                                                const std::string& maker = newstest::LoopbackServer::addressFor (
                                                    newstest::LoopbackServer::refusedPort()))
    {
        auto client = std::make_unique<NewsFeedClient> (folder.path(), query, juce::String (brand), juce::String (maker));
        client->setBounds (40, 0, 800, 64);
        return client;
    }

    Record wordsOf (const NewsFeedClient& client)
    {
        return { client.failedRequests.load(), client.startsSinceNews.load(), client.eulaShown };
    }

    Record savedRecord (const RecordFolder& folder)
    {
        Record words { -1, -1, -1 };
        EXPECT_TRUE (infotest::readRecord (folder.record(), words)) << "a 12-byte record";
        return words;
    }

    bool checkEnds (NewsFeedClient& client)
    {
        return infotest::runUntil ([&] { return ! client.isThreadRunning(); }, 10000);
    }

    bool newsShows (NewsFeedClient& client)
    {
        return infotest::runUntil ([&] { return client.newsView->isVisible(); }, 2000);
    }
}

TEST (NewsFeedRecord, IsReadOnlyWhenExactlyTwelveBytesAndAlwaysSavedAsTwelve)
{
    const Record stored { 5, 42, 1 };
    const char junk[13] = { 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9 };

    struct Case { const char* name; const void* bytes; size_t size; Record loaded; };
    const Case cases[] = {
        { "missing", nullptr, 0, { 0, 1, 0 } },
        { "11 bytes", junk, 11, { 0, 1, 0 } },
        { "12 bytes", stored.data(), 12, { 5, 43, 1 } },
        { "13 bytes", junk, 13, { 0, 1, 0 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        RecordFolder folder;
        if (c.bytes != nullptr)
            infotest::writeRecordBytes (folder.record(), c.bytes, c.size);

        auto client = makeClient (folder);
        EXPECT_EQ (wordsOf (*client), c.loaded);
        EXPECT_FALSE (client->isThreadRunning());
        client.reset();

        EXPECT_EQ (folder.record().getSize(), 12);
        EXPECT_EQ (savedRecord (folder), c.loaded);
        // Nothing but the record is left in the folder.
        EXPECT_EQ (folder.numberOfEntries(), 1);
    }
}

TEST (NewsFeedRecord, LicenceFlagPersistsAcrossTwoStarts)
{
    RecordFolder folder;

    auto first = makeClient (folder);
    EXPECT_EQ (first->eulaShown, 0);
    first->eulaShown = 1;   // as the window does once it has shown the licence
    first.reset();
    EXPECT_EQ (savedRecord (folder), (Record { 0, 1, 1 }));

    auto second = makeClient (folder);
    EXPECT_EQ (second->eulaShown, 1);
    EXPECT_EQ (second->startsSinceNews.load(), 2);
    second.reset();
    EXPECT_EQ (savedRecord (folder), (Record { 0, 2, 1 }));
}

TEST (NewsFeedRecord, MissingFoldersAreCreatedForItWithTheProjectsNewsAddresses)
{
    infotest::TemporaryFolder top;
    const auto folder = top.path() + "Vorsan" + juce::File::getSeparatorString() + "VorsanTembrolin"
                      + juce::File::getSeparatorString();

    {
        NewsFeedClient client (folder, query);
        EXPECT_EQ (client.brandNewsUrl, WebAddresses::brandNewsUrl);
        EXPECT_EQ (client.makerNewsUrl, WebAddresses::makerNewsUrl);
        client.eulaShown = 1;
    }

    Record words {};
    ASSERT_TRUE (infotest::readRecord (juce::File (folder + "memory.bin"), words));
    EXPECT_EQ (words, (Record { 0, 1, 1 }));
}

TEST (NewsFeedCounter, TheHundredthStartChecksAndAFailureMakesTheNextOneCheckToo)
{
    newstest::LoopbackServer unused ({ 200, "news" });

    struct Case { Record stored; bool checks; Record after; };
    const Case cases[] = {
        { { 3, 98, 1 }, false, { 3, 99, 1 } },
        { { 3, 99, 1 }, true, { 5, 100, 1 } },    // both servers refuse
        { { 3, 100, 1 }, true, { 5, 100, 1 } },   // and so again at the next start
        { { 3, INT_MAX, 1 }, true, { 5, 100, 1 } },   // the count does not wrap round
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.stored[1]);
        RecordFolder folder;
        infotest::writeRecord (folder.record(), c.stored);

        const auto refused = newstest::LoopbackServer::addressFor (newstest::LoopbackServer::refusedPort());
        auto client = makeClient (folder, c.checks ? refused : unused.newsAddress(), refused);
        EXPECT_EQ (client->isThreadRunning() || client->failedRequests != c.stored[0], c.checks);
        ASSERT_TRUE (checkEnds (*client));
        EXPECT_FALSE (client->isTimerRunning()) << "nothing to show";
        EXPECT_FALSE (client->newsView->isVisible());
        client.reset();

        EXPECT_EQ (savedRecord (folder), c.after);
    }

    EXPECT_TRUE (unused.requests().empty()) << "the 99th start asks no server";
}

namespace
{
    // A server side of a check: a reply, or a refused connection.
    struct Side
    {
        std::optional<newstest::Reply> reply;
    };

    const Side refused {};
    Side answering (int status, std::string body) { return { newstest::Reply { status, std::move (body) } }; }
}

TEST (NewsFeedCheck, AsksBothServersInOrderAndShowsWhatTheyAnswer)
{
    newstest::Reply slow { 200, "late news" };
    slow.delayMs = 3000;

    struct Case
    {
        const char* name;
        Side brand, maker;
        int failures;
        std::optional<juce::String> shown;   // none: the news stays hidden
    };

    const Case cases[] = {
        { "both answer", answering (200, "one"), answering (200, "two"), 0, juce::String ("one\ntwo") },
        { "only the second answers", refused, answering (200, "word"), 1, juce::String ("\nword") },
        { "neither answers", refused, refused, 2, std::nullopt },
        { "a 404 page is no news", answering (404, "<b>Not Found</b>"), answering (200, "news"), 1,
          juce::String ("\nnews") },
        { "a body over the limit is no news", answering (200, std::string (NewsRequest::maxBodyBytes + 1, 'x')),
          answering (200, "news"), 1, juce::String ("\nnews") },
        { "a server silent past the time-out", Side { slow }, answering (200, "news"), 1, juce::String ("\nnews") },
        { "a body outside the HTML subset",
          answering (200, "<html><body><p>Hello &amp; <script>alert(1)</script>world</p></body></html>"), refused, 1,
          juce::String ("Hello &amp; alert(1)world") },
        { "an empty answer from both", answering (200, ""), answering (204, ""), 0, std::nullopt },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        std::optional<newstest::LoopbackServer> brand, maker;
        if (c.brand.reply)
            brand.emplace (*c.brand.reply);
        if (c.maker.reply)
            maker.emplace (*c.maker.reply);
        const auto refusedAddress = newstest::LoopbackServer::addressFor (newstest::LoopbackServer::refusedPort());

        RecordFolder folder;
        infotest::writeRecord (folder.record(), { 0, 5, 1 });
        auto client = makeClient (folder, brand ? brand->newsAddress() : refusedAddress,
                                  maker ? maker->newsAddress() : refusedAddress);
        ASSERT_FALSE (client->isThreadRunning());

        client->checkForNews();
        ASSERT_TRUE (checkEnds (*client));
        EXPECT_EQ (client->failedRequests.load(), c.failures);

        if (c.shown)
        {
            ASSERT_TRUE (newsShows (*client));
            EXPECT_EQ (client->newsView->editor->getText(), *c.shown);
            EXPECT_EQ (client->newsView->editor->getCaretPosition(), 0);
            EXPECT_EQ (infotest::scrolledDown (*client->newsView->editor), 0);
            EXPECT_EQ (client->startsSinceNews.load(), 0);
        }
        else
        {
            EXPECT_FALSE (client->isTimerRunning());
            uitest::runMessageLoop (100);
            EXPECT_FALSE (client->newsView->isVisible());
            // A failure makes the next start check again; an empty answer
            // leaves the counter alone.
            EXPECT_EQ (client->startsSinceNews.load(), c.failures > 0 ? 100 : 6);
        }

        // Each server was asked once; only the maker hears about the system.
        if (brand)
            EXPECT_EQ (brand->requests(), std::vector<std::string> { "GET /newsfeed.asp?n=3 HTTP/1.1" });
        if (maker)
            EXPECT_EQ (maker->requests(),
                       std::vector<std::string> { "GET /newsfeed.asp?n=3&osnm=Linux&lang=en HTTP/1.1" });

        const auto words = wordsOf (*client);
        client.reset();
        EXPECT_EQ (savedRecord (folder), words);
    }
}

TEST (NewsFeedCheck, ShownNewsIsDismissedByAMouseUpAndTheCounterSavedAsZero)
{
    newstest::LoopbackServer brand ({ 200, "<b>New</b> sounds" });
    RecordFolder folder;
    infotest::writeRecord (folder.record(), { 0, 150, 1 });

    auto client = makeClient (folder, brand.newsAddress());
    ASSERT_TRUE (checkEnds (*client));
    ASSERT_TRUE (newsShows (*client));
    EXPECT_EQ (client->newsView->editor->getText(), "New sounds");
    EXPECT_EQ (client->newsView->getBounds(), juce::Rectangle<int> (0, 0, 800, 64));

    client->mouseUp (uitest::mouseEvent (*client->newsView->editor, { 10.0f, 10.0f }, {}));
    EXPECT_FALSE (client->newsView->isVisible());

    client.reset();
    EXPECT_EQ (savedRecord (folder), (Record { 1, 0, 1 }));   // the maker's server refused
}

TEST (NewsFeedCheck, CheckingAgainWhileACheckRunsStartsNoSecondOne)
{
    newstest::Reply late { 200, "news" };
    late.delayMs = 600;
    newstest::LoopbackServer brand (late);
    newstest::LoopbackServer maker ({ 200, "more" });
    RecordFolder folder;
    auto client = makeClient (folder, brand.newsAddress(), maker.newsAddress());

    client->checkForNews();
    ASSERT_TRUE (infotest::runUntil ([&] { return brand.requests().size() == 1; }, 2000));
    client->newsView->appendHtml ("old news");
    client->checkForNews();
    EXPECT_EQ (client->newsView->editor->getText(), "") << "emptied in place";

    ASSERT_TRUE (checkEnds (*client));
    ASSERT_TRUE (newsShows (*client));
    EXPECT_EQ (client->newsView->editor->getText(), "news\nmore");
    EXPECT_EQ (brand.requests().size(), 1u);
    EXPECT_EQ (maker.requests().size(), 1u);
}

TEST (NewsFeedCheck, ClientGoesWithinHalfASecondWhileAServerTricklesItsBody)
{
    newstest::Reply trickle { 200, std::string (200000, 'n') };
    trickle.pieceBytes = 100;
    trickle.pieceIntervalMs = 20;
    newstest::LoopbackServer brand (trickle);
    RecordFolder folder;
    infotest::writeRecord (folder.record(), { 0, 99, 1 });

    auto client = makeClient (folder, brand.newsAddress());
    ASSERT_TRUE (client->isThreadRunning());
    ASSERT_TRUE (infotest::runUntil ([&] { return brand.requests().size() == 1; }, 2000));
    uitest::runMessageLoop (300);
    ASSERT_TRUE (client->isThreadRunning()) << "still receiving";

    const auto start = std::chrono::steady_clock::now();
    client.reset();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    // Past 500 ms the framework would end the thread by force.
    EXPECT_LT (elapsed, std::chrono::milliseconds (NewsFeedClient::stopTimeoutMs));
    // The unfinished check counts as failed, so the next start checks again.
    EXPECT_EQ (savedRecord (folder), (Record { 1, 100, 1 }));
}
