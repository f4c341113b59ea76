// Every class of the framework that declares events answering through their arguments stops the
// program at a connection to them that connectHandler did not make, and only at those.

#include "host/account_box.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "host/number_box.h"
#include "support/user_driver.h"

#include <QMetaMethod>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The signals the framework's classes declare (not those of Qt's own bases).
std::vector<QMetaMethod> frameworkSignals(const QObject &sender)
{
    std::vector<QMetaMethod> result;
    const QMetaObject *meta = sender.metaObject();
    for (int i = QObject::staticMetaObject.methodCount(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal
            && QByteArray(method.enclosingMetaObject()->className()).startsWith("host::"))
            result.push_back(method);
    }
    return result;
}

} // namespace

TEST(HandlerConnection, EveryAnsweringEventStopsAConnectionNotMadeByConnectHandler)
{
    testsupport::application();
    std::vector<std::unique_ptr<QObject>> senders;
    senders.push_back(std::make_unique<host::CheckBox>());
    senders.push_back(std::make_unique<host::CheckList>());
    senders.push_back(std::make_unique<host::ComboBox>());
    senders.push_back(std::make_unique<host::EditBox>());
    senders.push_back(std::make_unique<host::CodeBox>());
    senders.push_back(std::make_unique<host::AccountBox>());
    senders.push_back(std::make_unique<host::NumberBox>());
    senders.push_back(std::make_unique<host::Grid>());
    senders.push_back(std::make_unique<host::GridNavigator>());
    senders.push_back(std::make_unique<host::MainNavigator>());
    senders.push_back(std::make_unique<host::Navigator>());
    senders.push_back(std::make_unique<host::DataFrame>());
    // Connected by meta-method, the way a string-based connection is made too.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QObject receiver;
    const QMetaMethod slot = receiver.metaObject()->method(
        receiver.metaObject()->indexOfSlot("deleteLater()"));
    int others = 0;
    for (const auto &sender : senders) {
        SCOPED_TRACE(sender->metaObject()->className());
        int answering = 0;
        for (const QMetaMethod &signal : frameworkSignals(*sender)) {
            SCOPED_TRACE(signal.methodSignature().toStdString());
            if (host::isAnsweringSignal(signal)) {
                ++answering;
                EXPECT_DEATH(QObject::connect(sender.get(), signal, &receiver, slot),
                             signal.name().toStdString() + ".*connectHandler");
            } else {
                ++others;
                EXPECT_TRUE(QObject::connect(sender.get(), signal, &receiver, slot));
            }
        }
        EXPECT_GT(answering, 0);
        QObject::disconnect(sender.get(), nullptr, &receiver, nullptr);
    }
    EXPECT_GT(others, 0) << "events without an answer connect freely";

    // What tells them apart: a reference that is not const.
    const QMetaObject &frame = host::DataFrame::staticMetaObject;
    const auto signal = [&](const char *signature) {
        return frame.method(frame.indexOfSignal(signature));
    };
    EXPECT_TRUE(host::isAnsweringSignal(signal("ValidateRecord(QObject*&,QString&)")));
    EXPECT_FALSE(host::isAnsweringSignal(signal("AfterUpdate(long)")));
    const QMetaObject &navigator = host::GridNavigator::staticMetaObject;
    EXPECT_FALSE(host::isAnsweringSignal(
        navigator.method(navigator.indexOfSignal("AfterButtonClick(QString)"))));
}
