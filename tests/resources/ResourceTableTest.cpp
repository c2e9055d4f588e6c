#include "ExpectedResources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace
{
    // The hash the resource table is keyed by: h = h * 31 + byte, from 0,
    // modulo 2^32.
    uint32_t nameHash (const std::string& name)
    {
        uint32_t h = 0;
        for (unsigned char c : name)
            h = h * 31u + c;
        return h;
    }

    // Another name with the same hash: raising one character by 1 and
    // lowering the next by 31 leaves h * 31 + byte unchanged.
    std::string sameHashName (std::string name)
    {
        const auto n = name.size();
        name[n - 2] = (char) (name[n - 2] + 1);
        name[n - 1] = (char) (name[n - 1] - 31);
        return name;
    }

    std::string withUnderscore (std::string fileName)
    {
        for (auto& c : fileName)
            if (c == '.')
                c = '_';
        return fileName;
    }
}

TEST (ResourceTable, HoldsTheThirtyOneResourcesInTableOrder)
{
    const auto& expected = expectedResources();
    ASSERT_EQ (BinaryData::namedResourceListSize, 31);

    for (int i = 0; i < 31; ++i)
    {
        SCOPED_TRACE (expected[(size_t) i].fileName);
        EXPECT_STREQ (BinaryData::namedResourceList[i], expected[(size_t) i].resourceName);
        EXPECT_STREQ (BinaryData::originalFilenames[i], expected[(size_t) i].fileName);
        EXPECT_EQ (withUnderscore (BinaryData::originalFilenames[i]), BinaryData::namedResourceList[i]);
    }
}

TEST (ResourceTable, EveryNameFindsItsDataFollowedByAZeroByte)
{
    for (const auto& r : expectedResources())
    {
        SCOPED_TRACE (r.resourceName);
        int size = -1;
        const char* data = BinaryData::getNamedResource (r.resourceName, size);

        ASSERT_NE (data, nullptr);
        EXPECT_EQ (data, r.data);
        EXPECT_EQ (size, r.size);
        EXPECT_GT (size, 0);
        EXPECT_EQ (data[size], 0) << "the byte after the data";
        EXPECT_STREQ (BinaryData::getNamedResourceOriginalFilename (r.resourceName), r.fileName);
    }
}

TEST (ResourceTable, TheFaderKnobIsFoundByItsResourceName)
{
    int size = 0;
    const char* data = BinaryData::getNamedResource ("fader_png", size);
    ASSERT_NE (data, nullptr);
    EXPECT_EQ (data, BinaryData::fader_png);
    EXPECT_EQ (size, BinaryData::fader_pngSize);
    EXPECT_EQ (std::string (data + 1, 3), "PNG");
    EXPECT_EQ (data[size], 0);
}

TEST (ResourceTable, NamesNotInTheTableFindNothingAndSetTheSizeToZero)
{
    const char* const names[] = {
        nullptr,
        "",
        "fader.png",        // a file name, not a resource name
        "FADER_PNG",
        "fader_pn",
        "fader_png ",
        "_png",
        "fad\xC3\xA9r_png",  // not ASCII
    };

    for (const char* name : names)
    {
        SCOPED_TRACE (name == nullptr ? "(null)" : name);
        int size = 12345;
        EXPECT_EQ (BinaryData::getNamedResource (name, size), nullptr);
        EXPECT_EQ (size, 0);
        EXPECT_EQ (BinaryData::getNamedResourceOriginalFilename (name), nullptr);
    }
}

TEST (ResourceTable, ANameSharingAResourcesHashFindsNothing)
{
    for (const auto& r : expectedResources())
    {
        const auto other = sameHashName (r.resourceName);
        SCOPED_TRACE (other);
        ASSERT_NE (other, r.resourceName);
        ASSERT_EQ (nameHash (other), nameHash (r.resourceName));

        int size = 12345;
        EXPECT_EQ (BinaryData::getNamedResource (other.c_str(), size), nullptr);
        EXPECT_EQ (size, 0);
    }
}
