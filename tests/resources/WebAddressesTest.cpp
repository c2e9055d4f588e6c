#include <info/WebAddresses.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
    bool endsWith (const std::string& s, const std::string& suffix)
    {
        return s.size() >= suffix.size() && s.compare (s.size() - suffix.size(), suffix.size(), suffix) == 0;
    }
}

TEST (WebAddresses, AreHttpsAddressesOfTheirHostAndPath)
{
    using namespace WebAddresses;
    const std::string https = "https://";

    EXPECT_EQ (brandSite, https + brandHost);
    EXPECT_EQ (makerSite, https + makerHost);
    EXPECT_EQ (brandNewsUrl, https + brandHost + newsPath);
    EXPECT_EQ (makerNewsUrl, https + makerHost + newsPath);
    EXPECT_EQ (supportUrl, https + brandHost + supportPath);

    EXPECT_STREQ (newsPath, "/newsfeed.asp?n=3");
    EXPECT_STREQ (supportPath, "/?a=support");
}

TEST (WebAddresses, UseTheReservedExampleDomainForTwoDistinctHosts)
{
    EXPECT_TRUE (endsWith (WebAddresses::brandHost, ".example"));
    EXPECT_TRUE (endsWith (WebAddresses::makerHost, ".example"));
    EXPECT_NE (std::string (WebAddresses::brandHost), WebAddresses::makerHost);
}
