// Pictures of the main window showing a client's coloured infractions and of the editor, at
// 1366x768, written only when VELMORA_CAPTURAS names a directory (for looking at them).
#include "ClientesDePrueba.h"
#include "clients/frmEdit.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class Capturas : public prueba::VentanaConClientes {};

TEST_F(Capturas, MainWindowWithInfractionsAndEditor) {
    const QString dir = QString::fromLocal8Bit(qgetenv("VELMORA_CAPTURAS"));
    if (dir.isEmpty())
        GTEST_SKIP() << "VELMORA_CAPTURAS no indicado";
    QDir().mkpath(dir);
    seleccionar(QStringLiteral("12"));
    for (const int ancho : {1024, 1366}) {
        // What a desktop leaves of a 768-pixel-high screen.
        ventana->setGeometry(0, 0, ancho, 708);
        QApplication::processEvents();
        EXPECT_TRUE(ventana->grab().save(QDir(dir).filePath(QStringLiteral("frmdatos_%1.png").arg(ancho))));
    }

    // A client without inspection dates, band settings or infractions.
    seleccionar(QStringLiteral("7"));
    QApplication::processEvents();
    EXPECT_TRUE(ventana->grab().save(QDir(dir).filePath(QStringLiteral("frmdatos_sin_datos.png"))));
    seleccionar(QStringLiteral("12"));

    QTimer::singleShot(0, ventana, [dir] {
        frmEdit* e = frmEdit::instancia();
        QApplication::processEvents();
        EXPECT_TRUE(e->grab().save(QDir(dir).filePath(QStringLiteral("frmedit_editar.png"))));
        e->Text1(2)->clear();
        QTest::mouseClick(e->cmdGuardar, Qt::LeftButton); // highlight on the empty name
        EXPECT_TRUE(e->grab().save(QDir(dir).filePath(QStringLiteral("frmedit_resaltado.png"))));
        e->Cancelar();
    });
    ventana->EditarCliente();
}

} // namespace
