#include "ExpectedResources.h"

#include <gtest/gtest.h>

#include <juce_graphics/juce_graphics.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace
{
    uint32_t bigEndian32 (const unsigned char* p)
    {
        return ((uint32_t) p[0] << 24) | ((uint32_t) p[1] << 16) | ((uint32_t) p[2] << 8) | (uint32_t) p[3];
    }

    // The fields of a PNG file's header chunk, read from the bytes themselves.
    struct PngHeader
    {
        bool valid = false;
        uint32_t width = 0, height = 0;
        int bitDepth = 0, colourType = 0;
    };

    PngHeader readPngHeader (const char* data, int size)
    {
        static const unsigned char signature[] = { 137, 'P', 'N', 'G', 13, 10, 26, 10 };
        const auto* bytes = reinterpret_cast<const unsigned char*> (data);
        PngHeader header;

        if (size < 33 || std::memcmp (bytes, signature, 8) != 0
            || bigEndian32 (bytes + 8) != 13 || std::memcmp (bytes + 12, "IHDR", 4) != 0)
            return header;

        header.valid = true;
        header.width = bigEndian32 (bytes + 16);
        header.height = bigEndian32 (bytes + 20);
        header.bitDepth = bytes[24];
        header.colourType = bytes[25];
        return header;
    }

    juce::Image decode (const ExpectedResource& r)
    {
        juce::MemoryInputStream stream (r.data, (size_t) r.size, false);
        juce::PNGImageFormat png;
        return png.decodeImage (stream);
    }

    bool framesDiffer (const juce::Image& strip, int frameHeight, int first, int second)
    {
        const juce::Image::BitmapData pixels (strip, juce::Image::BitmapData::readOnly);
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < strip.getWidth(); ++x)
                if (pixels.getPixelColour (x, first * frameHeight + y) != pixels.getPixelColour (x, second * frameHeight + y))
                    return true;
        return false;
    }
}

TEST (Pictures, AreEightBitPngsOfTheirSizeWithAlphaWhereTheTableSaysSo)
{
    constexpr int rgb = 2, rgbAlpha = 6;

    for (const auto& r : expectedResources())
    {
        if (isDocument (r))
            continue;
        SCOPED_TRACE (r.fileName);

        const auto header = readPngHeader (r.data, r.size);
        ASSERT_TRUE (header.valid) << "not a PNG file";
        EXPECT_EQ (header.width, (uint32_t) r.width);
        EXPECT_EQ (header.height, (uint32_t) r.height);
        EXPECT_EQ (header.bitDepth, 8);
        EXPECT_EQ (header.colourType, r.alpha ? rgbAlpha : rgb);

        // The framework decodes it to the same size, with an alpha channel
        // exactly for the pictures that have one (a transparency chunk in an
        // opaque picture would also give it one).
        const auto image = decode (r);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), r.width);
        EXPECT_EQ (image.getHeight(), r.height);
        EXPECT_EQ (image.hasAlphaChannel(), r.alpha);
    }
}

TEST (Pictures, FilmStripsHoldDistinctFramesOfEqualHeight)
{
    for (const auto& r : expectedResources())
    {
        if (isDocument (r) || r.frames < 2)
            continue;
        SCOPED_TRACE (r.fileName);

        ASSERT_EQ (r.height % r.frames, 0);
        const int frameHeight = r.height / r.frames;

        const auto image = decode (r);
        ASSERT_EQ (image.getHeight(), r.frames * frameHeight);

        // Each state looks different from the one before it (released and
        // pressed keys, off, pressed and on switches, normal and pressed buttons).
        for (int frame = 1; frame < r.frames; ++frame)
            EXPECT_TRUE (framesDiffer (image, frameHeight, frame - 1, frame)) << "frames " << frame - 1 << " and " << frame;
    }
}
