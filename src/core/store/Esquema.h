#pragma once

#include "core/store/ErrorBD.h"

#include <QString>

#include <functional>

class Conexion;

// Schema version this program writes (PRAGMA user_version). Older registers are brought up to it
// at open; newer ones are refused untouched.
inline constexpr int kVersionEsquema = 7;

// Builds the whole schema with its first rows (the placeholder client, the two accounts) in
// one transaction.
void CrearEsquema(Conexion& db);
// Whether the register holds no table yet.
bool EsquemaVacio(Conexion& db);
// Runs the migrations the register lacks, each in its own transaction. Throws ErrorBD, with the
// register left whole at the last version whose step was completed.
void ActualizarEsquema(Conexion& db);

// One step of an update as it starts: the version it brings the register to, its place among the
// steps this register needs (from 1) and what it does, in a few Spanish words.
struct PasoEsquema {
    int version = 0;
    int paso = 0;
    int pasos = 0;
    QString descripcion;
};

// Follows an update and lets it be stopped. Both are called in the thread that updates.
struct AvanceEsquema {
    std::function<void(const PasoEsquema&)> alEmpezar;
    // Asked before each step and before its commit (and, on the file, while its statements run):
    // true undoes the running step, the ones already completed stay.
    std::function<bool()> detener;
};

// The update was stopped on request: the register is whole at `version()`, and the next open
// goes on from there.
class ActualizacionDetenida : public ErrorBD {
public:
    ActualizacionDetenida(const QString& ruta, int version);
    int version() const { return version_; }

private:
    int version_;
};

// How many steps an update from `version` runs; 0 when the register is current or newer.
int PasosPendientes(int version);

void ActualizarEsquema(Conexion& db, const AvanceEsquema& avance);
