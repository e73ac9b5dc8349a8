#include <QApplication>
#include <gtest/gtest.h>

// Every test program gets a QApplication, so widget and font code works.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
