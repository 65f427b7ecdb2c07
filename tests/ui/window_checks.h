// What the window tests share: finding a control by its name, checking its design text.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace tankora::testing {

template <typename T = QWidget>
T* findControl(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A label's or a button's text.
inline void expectControlText(QWidget& control, const char* text) {
    const QString expected = QString::fromUtf8(text);
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        EXPECT_EQ(label->text(), expected) << control.objectName().toStdString();
    } else if (auto* button = qobject_cast<QPushButton*>(&control)) {
        EXPECT_EQ(button->text(), expected) << control.objectName().toStdString();
    } else {
        ADD_FAILURE() << control.objectName().toStdString() << " is neither a label nor a button";
    }
}

}  // namespace tankora::testing
