#pragma once

#include <QByteArray>

// Joins two PDF documents as QPdfWriter writes them (one cross-reference table, one flat page
// tree): the pages of the second follow those of the first, each keeping its own resources.
// Empty when either is laid out otherwise.
QByteArray UnirPdf(const QByteArray& primero, const QByteArray& segundo);
