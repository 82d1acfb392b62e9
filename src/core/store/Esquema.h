#pragma once

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
// register left at its older version, whole.
void ActualizarEsquema(Conexion& db);
