#pragma once

#include <QString>

class QWidget;

enum class Icono { Ninguno, Informacion, Exclamacion, Pregunta, Critico };
enum class Botones { Aceptar, SiNo };
enum class Respuesta { Aceptar, Si, No };

// Every message box of the program goes through here, so tests can answer and record them.
class Mensajero {
public:
    virtual ~Mensajero() = default;
    virtual Respuesta mostrar(const QString& texto, const QString& titulo, Icono icono, Botones botones) = 0;
};

// Shows a message box; an empty title gives the application's title.
Respuesta MsgBox(const QString& texto, const QString& titulo = QString(), Icono icono = Icono::Ninguno,
                 Botones botones = Botones::Aceptar);

// The application's default title for message boxes without one of their own.
QString TituloAplicacion();

// Installs another message box implementation (tests); nullptr restores the real one.
void InstalarMensajero(Mensajero* mensajero);
