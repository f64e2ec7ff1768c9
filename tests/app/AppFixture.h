#pragma once

#include "app/Windows.h"
#include "storage/DataFolder.h"
#include "support/ScriptedDialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The whole program over a scratch data folder, driven through its controls.
class AppFixture {
public:
    AppFixture() {
        folders::ensure(root.path());
        windows = std::make_unique<Windows>(dialogs, root.path());
        windows->setUrlOpener([this](const QUrl &url) {
            opened << url;
            return false;
        });
        windows->start();
    }

    template <typename T = QWidget> T *control(const QString &form, const QString &name) {
        auto *w = windows->form(form)->findChild<T *>(name);
        if (!w)
            qFatal("no control %s on %s", qPrintable(name), qPrintable(form));
        return w;
    }
    void click(const QString &form, const QString &name) {
        control<QPushButton>(form, name)->click();
    }
    void type(const QString &form, const QString &name, const QString &text) {
        QLineEdit *edit = control<QLineEdit>(form, name);
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }
    bool visible(const QString &form) {
        return windows->created(form) && windows->form(form)->isVisible();
    }

    QTemporaryDir root;
    ScriptedDialogs dialogs;
    std::unique_ptr<Windows> windows;
    QList<QUrl> opened;
};
