// One news request against a server of the test's own on 127.0.0.1: what
// counts as an answer, and how quickly a request can be called off.

#include "info/NewsRequest.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace
{
    using Clock = std::chrono::steady_clock;

    long long millisecondsSince (Clock::time_point start)
    {
        return std::chrono::duration_cast<std::chrono::milliseconds> (Clock::now() - start).count();
    }

    NewsRequest::Result fetch (const std::string& address, std::function<bool()> shouldStop = {})
    {
        return NewsRequest::get (juce::URL (juce::String (address)), shouldStop);
    }
}

TEST (NewsRequest, OnlyAComplete2xxBodyWithinTheLimitIsAnAnswer)
{
    const std::string atLimit (NewsRequest::maxBodyBytes, 'x');
    const std::string overLimit (NewsRequest::maxBodyBytes + 1, 'x');

    struct Case { const char* name; newstest::Reply reply; bool succeeded; size_t bodySize; };
    const Case cases[] = {
        { "200 with news", { 200, "news" }, true, 4 },
        { "204, nothing to say", { 204, "" }, true, 0 },
        { "299", { 299, "odd" }, true, 3 },
        { "a 404 page", { 404, "<h1>Not Found</h1>" }, false, 0 },
        { "a 500 page", { 500, "Internal error" }, false, 0 },
        { "a redirect without an address", { 302, "moved" }, false, 0 },
        { "exactly the limit", { 200, atLimit }, true, atLimit.size() },
        { "one byte over the limit", { 200, overLimit }, false, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        newstest::LoopbackServer server (c.reply);
        ASSERT_TRUE (server.isListening());

        const auto result = fetch (server.newsAddress());
        EXPECT_EQ (result.succeeded, c.succeeded);
        EXPECT_EQ ((size_t) result.body.getNumBytesAsUTF8(), c.bodySize);
        if (c.succeeded)
            EXPECT_EQ (result.status, c.reply.status);
    }
}

TEST (NewsRequest, RefusedConnectionFailsAtOnce)
{
    const auto start = Clock::now();
    const auto result = fetch (newstest::LoopbackServer::addressFor (newstest::LoopbackServer::refusedPort()));
    EXPECT_FALSE (result.succeeded);
    EXPECT_EQ (result.status, 0);
    EXPECT_LT (millisecondsSince (start), 1000);
}

TEST (NewsRequest, SilentServerCountsAsGoneAfterAboutASecond)
{
    newstest::Reply reply { 200, "late news" };
    reply.delayMs = 4000;
    newstest::LoopbackServer server (reply);

    const auto start = Clock::now();
    const auto result = fetch (server.newsAddress());
    const auto elapsed = millisecondsSince (start);

    EXPECT_FALSE (result.succeeded);
    EXPECT_GE (elapsed, 900);
    EXPECT_LT (elapsed, 3000);
}

TEST (NewsRequest, StopsWithinMillisecondsOfBeingAsked)
{
    struct Case { const char* name; newstest::Reply reply; };
    newstest::Reply silent { 200, "late" };
    silent.delayMs = 5000;
    newstest::Reply trickling { 200, std::string (100000, 'n') };
    trickling.pieceBytes = 100;
    trickling.pieceIntervalMs = 20;
    const Case cases[] = { { "silent", silent }, { "trickling", trickling } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        newstest::LoopbackServer server (c.reply);
        const auto start = Clock::now();
        std::atomic<long long> askedAt { -1 };

        const auto result = fetch (server.newsAddress(), [&]
        {
            if (millisecondsSince (start) < 300)
                return false;
            if (askedAt < 0)
                askedAt = millisecondsSince (start);
            return true;
        });

        EXPECT_FALSE (result.succeeded);
        ASSERT_GE (askedAt.load(), 300);
        EXPECT_LT (millisecondsSince (start) - askedAt, 100);
    }
}

TEST (NewsRequest, SendsTheQueryPercentEncoded)
{
    newstest::LoopbackServer server ({ 200, "ok" });
    const auto address = juce::String (server.newsAddress()) + "&osnm=Linux 6.1&cpum=Intel(R) Core&lang=en";

    ASSERT_TRUE (fetch (address.toStdString()).succeeded);
    const auto requests = server.requests();
    ASSERT_EQ (requests.size(), 1u);
    EXPECT_EQ (requests[0], "GET /newsfeed.asp?n=3&osnm=" + juce::URL::addEscapeChars ("Linux 6.1", true).toStdString()
                                + "&cpum=" + juce::URL::addEscapeChars ("Intel(R) Core", true).toStdString()
                                + "&lang=en HTTP/1.1");
    EXPECT_EQ (requests[0].find (' ', 4), requests[0].rfind (' ')) << "no space left unencoded";
}
