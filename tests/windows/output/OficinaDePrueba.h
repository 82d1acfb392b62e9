#pragma once

// The office model on a fresh database, logged in as "Administrador": client 501 with four
// infractions in March and April 2011 (the second one marked, so a separator follows it),
// client 502 with none.

#include "BaseTemporal.h"
#include "MessageRecorder.h"
#include "Oficina.h"
#include "store/Sentencias.h"
#include "store/modVarios.h"

#include <gtest/gtest.h>

class OficinaDePrueba : public ::testing::Test {
protected:
    void SetUp() override {
        Database& db = BaseDatosCompartida();
        const auto ejecutar = [&db](const Consulta& c) { db.ejecutar(c.sql, c.parametros); };
        for (const char* nombre : {"501|Carlos Ruiz", "502|Sin Infracciones"})
            ejecutar(Sentencias::insertarCliente(
                (QString::fromUtf8(nombre) +
                 "||Centro||||||||Bar Central|Mitre 45||Lomas|Buenos Aires|||||||")
                    .split(QChar(u'|'))));
        const char* fechas[] = {"20110302", "20110315", "20110331", "20110401"};
        for (int i = 0; i < 4; ++i)
            ejecutar(Sentencias::insertarInfraccion(
                QStringLiteral("501|%1|2130%2|%3|D. JOCKEY|BAT. OK|SI|12|Insp%4||||||||%5")
                    .arg(QString::fromLatin1(fechas[i]))
                    .arg(i, 2, 10, QChar(u'0'))
                    .arg(95 + i)
                    .arg(i + 1)
                    .arg(QString::number(i + 1) + (i == 1 ? QStringLiteral(".") : QString()))
                    .split(QChar(u'|'))));
        oficina.establecerUsuario(QStringLiteral("Administrador"));
        oficina.abrirClientes();
    }

    void seleccionar(const QString& numero) {
        for (const QStringList& fila : oficina.filasClientes())
            if (fila.value(1) == numero)
                oficina.seleccionar(fila.value(0).toLongLong());
        ASSERT_TRUE(oficina.clienteSeleccionado()) << qPrintable(numero);
    }

    // Exactly one message was shown, this one; the record is cleared for the next step.
    void unMensaje(const QString& texto, const QString& titulo, Icono icono) {
        ASSERT_EQ(mensajes.mensajes().size(), 1) << qPrintable(mensajes.textos().join(QChar(u'\n')));
        EXPECT_EQ(mensajes.ultimo().texto, texto);
        EXPECT_EQ(mensajes.ultimo().titulo, titulo);
        EXPECT_EQ(mensajes.ultimo().icono, icono);
        mensajes.limpiar();
    }

    BaseTemporal base;
    MessageRecorder mensajes;
    Oficina oficina;
};
