#include "windows/platform/PedirMotivo.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Deletions ask for a reason in a dialog of their own; the window tests give one.
    SustituirPedirMotivo([](const QString&, const QString&) { return QStringLiteral("motivo de prueba"); });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
