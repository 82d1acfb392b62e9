// Pictures of the main window showing a client's coloured infractions and of the editor, at
// 1024 and 1366 pixels wide, written only when VELMORA_CAPTURAS names a directory (for looking at
// them).
#include "ClientesDePrueba.h"
#include "clients/frmEdit.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

namespace {

class Capturas : public prueba::VentanaConClientes {};

TEST_F(Capturas, MainWindowWithInfractionsAndEditor) {
    const QString dir = QString::fromLocal8Bit(qgetenv("VELMORA_CAPTURAS"));
    if (dir.isEmpty())
        GTEST_SKIP() << "VELMORA_CAPTURAS no indicado";
    QDir().mkpath(dir);
    auto guardar = [&dir](QWidget* w, const QString& nombre) {
        QApplication::processEvents();
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(nombre + QStringLiteral(".png"))));
    };
    seleccionar(QStringLiteral("12"));
    for (const int ancho : {1024, 1366}) {
        // What a desktop leaves of a 768-pixel-high screen.
        ventana->setGeometry(0, 0, ancho, 708);
        guardar(ventana, QStringLiteral("frmdatos_%1").arg(ancho));
    }
    // A client without inspection dates, band settings or infractions.
    seleccionar(QStringLiteral("7"));
    guardar(ventana, QStringLiteral("frmdatos_sin_datos"));
    seleccionar(QStringLiteral("12"));

    QTimer::singleShot(0, ventana, [&guardar] {
        QDialog* e = frmEdit::instancia();
        guardar(e, QStringLiteral("frmedit_editar"));
        prueba::hijo<QLineEdit>(e, QStringLiteral("Text1_2"))->clear();
        QTest::mouseClick(prueba::hijo<QPushButton>(e, QStringLiteral("cmdGuardar")), Qt::LeftButton);
        guardar(e, QStringLiteral("frmedit_resaltado")); // highlight on the empty name
        QTest::mouseClick(prueba::hijo<QPushButton>(e, QStringLiteral("cmdCancelar")), Qt::LeftButton);
    });
    QTest::mouseClick(opcion(1), Qt::LeftButton);
}

} // namespace
