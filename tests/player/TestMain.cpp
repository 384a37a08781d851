#include <gtest/gtest.h>

#include <QApplication>

// The player's tests need a QApplication with a real display (they run under Xvfb).
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
