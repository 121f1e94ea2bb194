#pragma once

#include <QTemporaryDir>
#include <QTest>

// Points HOME, the XDG directories and the alias file at a private temporary directory, so a test
// never touches the user's files and tests can run in parallel. Lives for the whole test run.
class TestEnvironment
{
public:
    TestEnvironment();
    QString root() const { return m_dir.path(); }
    QString aliasFile() const;

private:
    QTemporaryDir m_dir;
};

// Like QTEST_MAIN, but with a private environment set up before the application object exists.
#define TABVALE_TEST_MAIN(TestObject, AppType)                                                     \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestEnvironment environment;                                                               \
        AppType app(argc, argv);                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
