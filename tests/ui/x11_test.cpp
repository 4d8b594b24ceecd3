// Window-manager behaviour that needs a real X server: the frame the set-up measures, the
// empty title bars, and the always-on-top switch.
#include "ui_fixture.h"

#include "ui/step_box.h"
#include "ui/ui_texts.h"

#include <QAction>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

namespace {

using uitest::WindowTest;

xcb_connection_t* connection() {
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection(),
        xcb_intern_atom(connection(), 0, static_cast<std::uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply->atom;
    free(reply);
    return a;
}

// The bytes of a window property as the window manager reads them.
QByteArray property(QWidget* w, const char* name) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection(),
        xcb_get_property(connection(), 0, static_cast<xcb_window_t>(w->winId()), atom(name),
                         XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
        nullptr);
    QByteArray bytes(static_cast<const char*>(xcb_get_property_value(reply)),
                     xcb_get_property_value_length(reply));
    free(reply);
    return bytes;
}

bool hasState(QWidget* w, const char* state) {
    const QByteArray atoms = property(w, "_NET_WM_STATE");
    const xcb_atom_t wanted = atom(state);
    for (qsizetype i = 0; i + 4 <= atoms.size(); i += 4) {
        xcb_atom_t a;
        memcpy(&a, atoms.constData() + i, 4);
        if (a == wanted) {
            return true;
        }
    }
    return false;
}

bool framed(QWidget* w) {
    return w->frameGeometry().size() != w->size();
}

// Guards the frame arithmetic with a real frame: the client area stays 564 × 500 and the
// outer rectangle is centred 15 px above the middle.
TEST_F(WindowTest, TheFramedWindowKeepsItsClientAreaAndIsCentred) {
    ASSERT_TRUE(uitest::waitFor([this] { return framed(window.get()); }));
    ASSERT_TRUE(uitest::waitFor([this] {
        return window->frameGeometry().topLeft() ==
               ui::centredTopLeft(ui::screenSize(), window->frameGeometry().size());
    })) << window->frameGeometry().x()
        << "," << window->frameGeometry().y();
    EXPECT_EQ(window->size(), QSize(564, 500));
    EXPECT_EQ(window->stepBox()->geometry(), QRect(500, 0, 64, 500));
    // A new game measures the frame again and keeps the size; a dragged window comes back.
    window->move(20, 30);
    ASSERT_TRUE(
        uitest::waitFor([this] { return window->frameGeometry().topLeft() == QPoint(20, 30); }));
    engine::newGame(window->game());
    EXPECT_EQ(window->size(), QSize(564, 500));
    ASSERT_TRUE(uitest::waitFor([this] {
        return window->frameGeometry().topLeft() ==
               ui::centredTopLeft(ui::screenSize(), window->frameGeometry().size());
    }));
}

TEST_F(WindowTest, ANewGameWhileHiddenInTheTrayIsCentredWhenShownAgain) {
    ASSERT_TRUE(uitest::waitFor([this] { return framed(window.get()); }));
    window->move(20, 30);
    window->onTrayEvent(ui::kTrayLeftRelease);
    ASSERT_FALSE(window->isVisible());
    engine::newGame(window->game());
    window->onTrayEvent(ui::kTrayLeftRelease);
    ASSERT_TRUE(uitest::waitFor([this] {
        return framed(window.get()) &&
               window->frameGeometry().topLeft() ==
                   ui::centredTopLeft(ui::screenSize(), window->frameGeometry().size());
    })) << window->frameGeometry().x()
        << "," << window->frameGeometry().y();
    EXPECT_EQ(window->size(), QSize(564, 500));
}

TEST_F(WindowTest, MessageBoxTitleBarsAreReallyEmpty) {
    QByteArray name = "unread";
    QByteArray legacyName = "unread";
    QTimer::singleShot(0, [&] {
        QWidget* box = ui::openMessageBoxes().front();
        uitest::waitFor([box] { return box->isVisible(); });
        name = property(box, "_NET_WM_NAME");
        legacyName = property(box, "WM_NAME");
        qobject_cast<QMessageBox*>(box)->defaultButton()->click();
    });
    window->showRules();
    EXPECT_EQ(name, QByteArray());
    EXPECT_EQ(legacyName, QByteArray());
    // The main window's own title is untouched by this.
    EXPECT_EQ(QString::fromUtf8(property(window.get(), "_NET_WM_NAME")),
              QString::fromStdString(ui::texts::defaultTitle()));
}

// Guards the on-top switch: it must neither hide nor move the window, and twice is a no-op.
TEST_F(WindowTest, KeepOnTopSwitchesInPlaceAndTwiceLeavesTheWindowAsItWas) {
    ASSERT_TRUE(uitest::waitFor([this] { return framed(window.get()); }));
    uitest::waitFor([] { return false; }, 300); // let the window manager settle
    const QRect before = window->frameGeometry();
    QAction* onTop = window->action(ui::texts::kMenuKeepOnTop);
    onTop->trigger();
    ASSERT_TRUE(uitest::waitFor([this] { return hasState(window.get(), "_NET_WM_STATE_ABOVE"); }));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->keepOnTop());
    onTop->trigger();
    ASSERT_TRUE(uitest::waitFor([this] { return !hasState(window.get(), "_NET_WM_STATE_ABOVE"); }));
    EXPECT_FALSE(window->keepOnTop());
    EXPECT_TRUE(window->isVisible());
    uitest::waitFor([] { return false; }, 300);
    EXPECT_EQ(window->frameGeometry(), before);
}

TEST_F(WindowTest, ShowingFromTheTrayDoesNotKeepTheWindowOnTop) {
    window->onTrayEvent(ui::kTrayLeftRelease);
    EXPECT_FALSE(window->isVisible());
    window->onTrayEvent(ui::kTrayLeftRelease);
    EXPECT_TRUE(window->isVisible());
    uitest::waitFor([] { return false; }, 300);
    EXPECT_FALSE(hasState(window.get(), "_NET_WM_STATE_ABOVE"));
}

TEST_F(WindowTest, TheReplayPanelHasNoTitleAndAnOuterSizeOf343By63) {
    window->openPanel();
    ui::ReplayPanel* panel = window->replayPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(uitest::waitFor([panel] { return framed(panel); }));
    ASSERT_TRUE(uitest::waitFor([panel] {
        return panel->frameGeometry().size() == QSize(343, 63);
    })) << panel->frameGeometry().width()
        << "x" << panel->frameGeometry().height();
    EXPECT_EQ(property(panel, "_NET_WM_NAME"), QByteArray());
    EXPECT_FALSE(hasState(panel, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(hasState(panel, "_NET_WM_STATE_SKIP_TASKBAR"));
    window->closePanel();
}

} // namespace
