// The main window's overlays and help commands without a display: what the
// header strip, the front panel and the edit panel ask for reaches the
// browser, the news strip, the about screen and the parameters; the licence
// shows on the first start only. Fade-ins animate the overlay's opacity here
// too; fade-outs hide at once.

#include "PanelTestSupport.h"
#include "ui/MainWindow.h"
#include "../info/LoopbackServer.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace
{
    using infotest::Record;

    std::string refusedAddress()
    {
        return newstest::LoopbackServer::addressFor (newstest::LoopbackServer::refusedPort());
    }

    struct Overlays : testing::Test
    {
        // A window whose news strip asks these servers (by default, ports
        // where nobody listens).
        void open (const std::string& brand = refusedAddress(), const std::string& maker = refusedAddress())
        {
            window = std::make_unique<MainWindow> (processor, juce::String (brand), juce::String (maker));
            window->setVisible (true);
        }

        SimpleHtmlBrowser& browser() { return *window->htmlBrowser; }

        // Everything that a help command or a request could have shown.
        juce::StringArray shownOverlays() const
        {
            juce::StringArray shown;
            if (window->htmlBrowser->isVisible()) shown.add ("browser");
            if (window->aboutScreen.isVisible())  shown.add ("about");
            if (window->editPanel->isVisible())   shown.add ("edit");
            if (window->innerDialog.isVisible())  shown.add ("dialog");
            if (window->newsFeed->newsView->isVisible()) shown.add ("news");
            if (window->newsFeed->isThreadRunning())     shown.add ("news check");
            return shown;
        }

        VorsanTembrolinAudioProcessor processor;
        uitest::ScratchDataFolder dataFolder { processor };
        std::unique_ptr<MainWindow> window;
    };
}

TEST_F (Overlays, HelpCommandsOpenTheirDocumentFromItsTopWithoutHistory)
{
    open();
    struct Case { int command; const char* document; };
    const Case cases[] = { { 2, "manual.htm" }, { 0, "eula.htm" }, { 2, "manual.htm" } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.command);
        browser().view->editor->moveCaretToEnd (false);   // as if read to the end

        window->topSection->onHelpCommand (c.command);

        EXPECT_EQ (browser().history, juce::StringArray (c.document));
        EXPECT_FALSE (browser().backButton->isVisible());
        EXPECT_EQ (browser().view->editor->getText(), infotest::documentText (c.document));
        EXPECT_EQ (browser().view->editor->getCaretPosition(), 0);
        EXPECT_EQ (shownOverlays(), juce::StringArray ("browser"));
    }
}

TEST_F (Overlays, CheckForNewsAsksBothServersAndShowsTheirNews)
{
    newstest::LoopbackServer brand ({ 200, "brand news" });
    newstest::LoopbackServer maker ({ 200, "maker news" });
    open (brand.newsAddress(), maker.newsAddress());
    ASSERT_TRUE (shownOverlays().isEmpty()) << "no check on an ordinary start";

    window->topSection->onHelpCommand (1);

    ASSERT_TRUE (uitest::runMessageLoopUntil ([&] { return window->newsFeed->newsView->isVisible(); }, 5000));
    EXPECT_EQ (window->newsFeed->newsView->editor->getText(), "brand news\nmaker news");
    ASSERT_EQ (maker.requests().size(), 1u);
    // The maker's server hears which system asks, from the processor.
    ASSERT_TRUE (processor.systemQuery.startsWith ("&osnm="));
    EXPECT_NE (maker.requests()[0].find ("osnm="), std::string::npos) << maker.requests()[0];
    EXPECT_EQ (brand.requests()[0].find ("osnm="), std::string::npos) << brand.requests()[0];
}

TEST_F (Overlays, OtherHelpCommandsDoNothing)
{
    newstest::LoopbackServer brand ({ 200, "news" });
    open (brand.newsAddress(), brand.newsAddress());

    for (int command : { 3, 4, 99, -1, -2, INT_MIN, INT_MAX })
    {
        window->topSection->onHelpCommand (command);
        EXPECT_TRUE (shownOverlays().isEmpty()) << command << ": " << shownOverlays().joinIntoString (", ");
    }

    uitest::runMessageLoop (100);
    EXPECT_TRUE (brand.requests().empty());
    EXPECT_TRUE (browser().history.isEmpty());
}

TEST_F (Overlays, TheLicenceShowsOnTheFirstStartOnly)
{
    dataFolder.record().deleteFile();

    open();
    EXPECT_EQ (shownOverlays(), juce::StringArray ("browser"));
    EXPECT_EQ (browser().history, juce::StringArray ("eula.htm"));
    EXPECT_EQ (browser().view->editor->getText(), infotest::documentText ("eula.htm"));
    EXPECT_EQ (window->newsFeed->eulaShown, 1);
    window.reset();

    Record saved {};
    ASSERT_TRUE (infotest::readRecord (dataFolder.record(), saved));
    EXPECT_EQ (saved, (Record { 0, 1, 1 }));

    // The next start, on the same data folder.
    open();
    EXPECT_TRUE (shownOverlays().isEmpty());
    EXPECT_TRUE (browser().history.isEmpty());
    window.reset();

    ASSERT_TRUE (infotest::readRecord (dataFolder.record(), saved));
    EXPECT_EQ (saved, (Record { 0, 2, 1 }));
}

TEST_F (Overlays, EditPanelChangesReachOnlyParametersOfTheCatalogue)
{
    open();
    uitest::ParameterChangeCounter changes (processor);
    const auto before = uitest::parameterValues (processor);

    for (int index : { -1, -20, INT_MIN, NumFxParams, INT_MAX })
        window->editPanel->onParameterChange (index, 0.25f);

    EXPECT_TRUE (changes.changed.isEmpty());
    EXPECT_EQ (uitest::parameterValues (processor), before);

    // The panel's own control, moved by the user, sets Global Tuning.
    window->editPanel->sliders[0]->setValue (100.0, juce::sendNotificationSync);
    EXPECT_EQ (changes.changed, juce::Array<int> (20));
    EXPECT_FLOAT_EQ (processor.params[20]->getValue(), 100.0f / 127.0f);
}

TEST_F (Overlays, ThePollShowsTheTuningAndItsReadoutInTheEditPanel)
{
    open();
    auto& slider = *window->editPanel->sliders[0];
    uitest::ParameterChangeCounter changes (processor);

    struct Case { float normalised; double shown; };
    const Case cases[] = {
        { 100.0f / 127.0f, 100.0 },
        { 0.5f, 63.0 },             // 63.5, truncated
        { 0.0f, 0.0 },
        { 1.0f, 127.0 },
    };

    for (const auto& c : cases)
    {
        processor.params[20]->setValue (c.normalised);
        window->timerCallback();
        EXPECT_EQ (slider.getValue(), c.shown) << c.normalised;
        EXPECT_EQ (slider.readout, processor.getParameterReadout (20)) << c.normalised;
        EXPECT_TRUE (slider.readout.endsWith ("Hz")) << slider.readout;
    }

    EXPECT_TRUE (changes.changed.isEmpty()) << "nothing is sent back";
}

TEST_F (Overlays, NamePlateAndMenuShowTheSameAboutScreenOnTopFadingInFromTransparent)
{
    open();
    auto& about = window->aboutScreen;
    const auto text = KvoAboutScreen::composeAboutText();
    window->topSection->onHelpCommand (2);   // the manual is open too
    uitest::waitForAnimatorIdle();

    struct Case { const char* from; std::function<void()> ask; };
    const Case cases[] = {
        { "name plate", [this] { window->mainSection->mouseDown (uitest::mouseEvent (
                                     *window->mainSection, { 265.0f, 184.0f }, uitest::leftButton())); } },
        { "menu", [this] { window->topSection->runHelpItem (TopSection::aboutItem); } },
        { "name plate again", [this] { window->mainSection->mouseDown (uitest::mouseEvent (
                                           *window->mainSection, { 104.0f, 173.0f }, uitest::leftButton())); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.from);
        about.lblVersionInfo->setText ("stale", juce::dontSendNotification);

        c.ask();
        EXPECT_TRUE (about.isVisible());
        EXPECT_EQ (about.getAlpha(), 0.0f) << "from fully transparent";
        EXPECT_EQ (about.lblVersionInfo->getText(), text);
        EXPECT_EQ (window->getChildComponent (window->getNumChildComponents() - 1), &about) << "above the browser";

        uitest::waitForAnimatorIdle();
        EXPECT_EQ (about.getAlpha(), 1.0f);

        // A click dismisses it.
        about.mouseDown (uitest::mouseEvent (about, { 10.0f, 10.0f }, uitest::leftButton()));
        EXPECT_FALSE (about.isVisible());
    }

    EXPECT_TRUE (browser().isVisible()) << "the manual is still open beneath";
}

TEST_F (Overlays, EditFadesTheEditPanelIn)
{
    open();
    auto& panel = *window->editPanel;

    const auto fade = uitest::measureFade ([this] { window->topSection->editButton->onClick(); },
                                           [&] { return &panel; }, true);
    EXPECT_TRUE (panel.isVisible());
    EXPECT_EQ (panel.getAlpha(), 1.0f);
    EXPECT_TRUE (fade.allows (EditPanel::fadeMilliseconds)) << fade;
    EXPECT_EQ (shownOverlays(), juce::StringArray ("edit"));
}

TEST_F (Overlays, OpenOverlaysAndShownNewsRedrawNothingWhileNothingChanges)
{
    newstest::LoopbackServer brand ({ 200, "news<br>more news" });
    open (brand.newsAddress(), refusedAddress());
    window->topSection->onHelpCommand (1);
    ASSERT_TRUE (uitest::runMessageLoopUntil ([&] { return window->newsFeed->newsView->isVisible(); }, 5000));
    window->topSection->onEditRequest();
    window->topSection->onAboutRequest();
    window->topSection->onHelpCommand (2);
    uitest::waitForAnimatorIdle();
    ASSERT_EQ (shownOverlays(), juce::StringArray ({ "browser", "about", "edit", "news" }));

    auto* spy = new uitest::RepaintSpy();
    window->setCachedComponentImage (spy);   // owned by the window
    spy->areas.clear();

    // The poll (edit panel included) and every other timer run meanwhile.
    uitest::runMessageLoop (400);
    EXPECT_TRUE (spy->areas.isEmpty()) << spy->areas.size() << " repaints, the first "
                                       << spy->areas.getFirst().toString();

    // A new tuning redraws its control, and only that.
    processor.params[20]->setValue (0.25f);
    window->timerCallback();
    const auto control = window->editPanel->sliders[0]->getBounds();
    EXPECT_FALSE (spy->areas.isEmpty());
    EXPECT_EQ (spy->countWithin (control), spy->areas.size());
    window->setCachedComponentImage (nullptr);
}
