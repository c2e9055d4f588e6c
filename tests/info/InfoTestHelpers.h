#pragma once

#include "info/KvoHtmlTextEdit.h"

#include <BinaryData.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <cstring>
#include <functional>

namespace infotest
{
    // Runs the message loop until the condition holds or the time is up;
    // returns the condition.
    inline bool runUntil (const std::function<bool()>& condition, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() >= end)
                return condition();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        }

        return true;
    }

    // The text of an embedded document ("manual.htm") rendered in a view of
    // its own, as the browser shows it.
    inline juce::String documentText (const juce::String& name)
    {
        int size = 0;
        const char* data = BinaryData::getNamedResource (name.replace (".", "_").toRawUTF8(), size);
        KvoHtmlTextEdit view;
        view.setBounds (0, 0, 1340, 660);
        view.appendHtml (juce::String::fromUTF8 (data, size));
        return view.editor->getText();
    }

    // How far a text editor is scrolled down; -1 if that cannot be told.
    inline int scrolledDown (juce::TextEditor& editor)
    {
        for (auto* child : editor.getChildren())
            if (auto* viewport = dynamic_cast<juce::Viewport*> (child))
                return viewport->getViewPositionY();
        return -1;
    }

    // A fresh folder of its own, deleted with everything in it at the end.
    struct TemporaryFolder
    {
        TemporaryFolder()
            : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("vorsan-info-test", ""))
        {
            folder.createDirectory();
        }

        ~TemporaryFolder() { folder.deleteRecursively(); }

        // The path as the processor hands it on: ending in a separator.
        juce::String path() const { return folder.getFullPathName() + juce::File::getSeparatorString(); }

        juce::File folder;
    };

    using Record = std::array<juce::int32, 3>;

    inline void writeRecordBytes (const juce::File& file, const void* data, size_t size)
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithData (data, size);
    }

    inline void writeRecord (const juce::File& file, const Record& words)
    {
        writeRecordBytes (file, words.data(), sizeof (words));
    }

    // The three words of a 12-byte record; false if the file is not one.
    inline bool readRecord (const juce::File& file, Record& words)
    {
        juce::MemoryBlock data;
        if (! file.loadFileAsData (data) || data.getSize() != sizeof (words))
            return false;
        std::memcpy (words.data(), data.getData(), sizeof (words));
        return true;
    }
}
