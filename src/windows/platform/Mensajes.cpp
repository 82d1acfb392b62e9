#include "windows/platform/Mensajes.h"

#include "core/store/ErrorBD.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class MensajeroQt : public Mensajero {
public:
    Respuesta mostrar(const QString& texto, const QString& titulo, Icono icono, Botones botones,
                      const QString& detalles) override {
        QMessageBox caja(QApplication::activeWindow());
        caja.setText(texto);
        caja.setWindowTitle(titulo);
        if (!detalles.isEmpty())
            caja.setDetailedText(detalles);
        switch (icono) {
        case Icono::Informacion:
            caja.setIcon(QMessageBox::Information);
            break;
        case Icono::Exclamacion:
            caja.setIcon(QMessageBox::Warning);
            break;
        case Icono::Pregunta:
            caja.setIcon(QMessageBox::Question);
            break;
        case Icono::Critico:
            caja.setIcon(QMessageBox::Critical);
            break;
        case Icono::Ninguno:
            caja.setIcon(QMessageBox::NoIcon);
            break;
        }
        if (botones == Botones::SiNo || botones == Botones::NoSi) {
            caja.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            caja.setDefaultButton(botones == Botones::SiNo ? QMessageBox::Yes : QMessageBox::No);
            caja.setEscapeButton(QMessageBox::No);
            return caja.exec() == QMessageBox::Yes ? Respuesta::Si : Respuesta::No;
        }
        if (botones == Botones::SiNoCancelar) {
            caja.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            caja.setDefaultButton(QMessageBox::Yes);
            caja.setEscapeButton(QMessageBox::Cancel);
            switch (caja.exec()) {
            case QMessageBox::Yes:
                return Respuesta::Si;
            case QMessageBox::No:
                return Respuesta::No;
            default:
                return Respuesta::Cancelar;
            }
        }
        caja.setStandardButtons(QMessageBox::Ok);
        caja.exec();
        return Respuesta::Aceptar;
    }
};

MensajeroQt mensajeroQt;
Mensajero* actual = nullptr;

} // namespace

QString TituloAplicacion() {
    return QStringLiteral("Velmora KV-270");
}

Respuesta MostrarMensaje(const QString& texto, const QString& titulo, Icono icono, Botones botones,
                         const QString& detalles) {
    Mensajero* m = actual ? actual : &mensajeroQt;
    return m->mostrar(texto, titulo.isEmpty() ? TituloAplicacion() : titulo, icono, botones, detalles);
}

void MostrarError(const ErrorBD& error, Icono icono, const QString& titulo) {
    MostrarMensaje(error.descripcion(), titulo, icono, Botones::Aceptar, error.detalles());
}

void InstalarMensajero(Mensajero* mensajero) {
    actual = mensajero;
}
