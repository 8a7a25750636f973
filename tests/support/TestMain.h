#pragma once
// main() for widget tests: the same Japanese set-up as the program, offscreen.
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"

#include <QApplication>
#include <QTest>

#define TAVRO_TEST_MAIN(TestClass)                                          \
    int main(int argc, char *argv[])                                         \
    {                                                                        \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);          \
        QApplication app(argc, argv);                                        \
        QApplication::setApplicationName(QStringLiteral("tavro-test"));      \
        initTavroResources();                                                \
        installJapaneseUi(app);                                              \
        app.setQuitOnLastWindowClosed(false);                                \
        TestClass tc;                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                           \
        return QTest::qExec(&tc, argc, argv);                                \
    }
