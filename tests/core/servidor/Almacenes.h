#pragma once

// The two stores behind the office model, for suites that run on both.

#include "BaseTemporal.h"
#include "ServidorPrueba.h"
#include "core/Oficina.h"
#include "core/store/ConexionPostgres.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

enum class Almacen { Archivo, Servidor };

inline std::string NombreAlmacen(const ::testing::TestParamInfo<Almacen>& info) {
    return info.param == Almacen::Archivo ? "SQLCipher" : "PostgreSQL";
}

// A fresh register of the chosen kind for one test; false (the test skipped) when the server
// cannot run here.
class RegistroDePrueba {
public:
    bool preparar(Almacen almacen, QString* motivo) {
        if (almacen == Almacen::Archivo) {
            archivo_.emplace();
            return true;
        }
        ServidorPrueba* s = ServidorPrueba::compartido(motivo);
        if (!s)
            return false;
        conninfo_ = s->baseNueva();
        return true;
    }
    const QString& conninfo() const { return conninfo_; }
    // The register, opened on first use.
    Conexion& conexion() {
        if (archivo_)
            return archivo_->registro();
        if (!servidor_)
            servidor_ = std::make_unique<ConexionPostgres>(conninfo_);
        return *servidor_;
    }
    // Closes it; the next conexion() opens it again.
    void cerrar() {
        servidor_.reset();
        if (archivo_)
            archivo_->cerrar();
    }
    // The same register when it is the server's.
    ConexionPostgres& servidor() {
        conexion();
        return *servidor_;
    }

private:
    std::optional<BaseTemporal> archivo_;
    QString conninfo_;
    std::unique_ptr<ConexionPostgres> servidor_;
};

#define PREPARAR_ALMACEN(registro, almacen)                                                                  \
    do {                                                                                                     \
        QString motivo_;                                                                                     \
        if (!(registro).preparar((almacen), &motivo_))                                                       \
            GTEST_SKIP() << "Sin servidor PostgreSQL: " << motivo_.toStdString();                            \
    } while (false)

// The office model, signed in as the administrator with a wide date range, on each store.
class OficinaEnAlmacen : public ::testing::TestWithParam<Almacen> {
protected:
    void SetUp() override {
        PREPARAR_ALMACEN(registro, GetParam());
        oficina.emplace(registro.conexion());
        oficina->establecerUsuario(QStringLiteral("Administrador"));
        oficina->establecerRango(QDate(2011, 1, 1), QDate(2030, 1, 1));
    }
    RegistroDePrueba registro;
    std::optional<Oficina> oficina;
};
