#pragma once

// Every web address the program knows, kept in this one place: the web sites
// of the brand and of the software maker (named as links in the licence text),
// the news feed that each of them serves, and the support page of the
// product's web site. The hosts use the reserved ".example" domain.
//
// The full addresses are written out so that they can be used as they stand;
// the tests check that each one is "https://" + its host + its path.
namespace WebAddresses
{
    // Host names.
    constexpr const char* brandHost = "www.vorsan.example";
    constexpr const char* makerHost = "www.kvo.example";

    // The two web sites, as the licence text links them.
    constexpr const char* brandSite = "https://www.vorsan.example";
    constexpr const char* makerSite = "https://www.kvo.example";

    // The news feed: both sites answer the same request; the news client
    // appends the system-information query to the maker's address only.
    constexpr const char* newsPath = "/newsfeed.asp?n=3";
    constexpr const char* brandNewsUrl = "https://www.vorsan.example/newsfeed.asp?n=3";
    constexpr const char* makerNewsUrl = "https://www.kvo.example/newsfeed.asp?n=3";

    // "Support and F.A.Q." in the help menu opens this page of the product's
    // web site, which is the brand's site.
    constexpr const char* supportPath = "/?a=support";
    constexpr const char* supportUrl = "https://www.vorsan.example/?a=support";
}
