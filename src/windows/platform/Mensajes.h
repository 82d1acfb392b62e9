#pragma once

#include <QString>

class QWidget;
class ErrorBD;

enum class Icono { Ninguno, Informacion, Exclamacion, Pregunta, Critico };
// SiNo has "Sí" as default; NoSi the same buttons with "No" as default, for questions whose
// careless "yes" would store evidence twice; SiNoCancelar adds a way out of a choice.
enum class Botones { Aceptar, SiNo, NoSi, SiNoCancelar };
enum class Respuesta { Aceptar, Si, No, Cancelar };

// Every message box of the program goes through here, so tests can answer and record them.
class Mensajero {
public:
    virtual ~Mensajero() = default;
    // `detalles`: technical text shown only on request below the message; empty for none.
    virtual Respuesta mostrar(const QString& texto, const QString& titulo, Icono icono, Botones botones,
                              const QString& detalles) = 0;
};

// Shows a message box; an empty title gives the application's title.
Respuesta MostrarMensaje(const QString& texto, const QString& titulo = QString(),
                         Icono icono = Icono::Ninguno, Botones botones = Botones::Aceptar,
                         const QString& detalles = QString());

// A store failure: its Spanish description, with the technical cause under "Mostrar detalles...".
void MostrarError(const ErrorBD& error, Icono icono = Icono::Critico, const QString& titulo = QString());

// The application's default title for message boxes without one of their own.
QString TituloAplicacion();

// Installs another message box implementation (tests); nullptr restores the real one.
void InstalarMensajero(Mensajero* mensajero);
