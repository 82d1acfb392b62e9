#include "Oficina.h"

Oficina::Oficina(QObject* parent) : QObject(parent) {}

Oficina::~Oficina() = default;
