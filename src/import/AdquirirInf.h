#pragma once

// Shows the import window (modeless, one at a time).
void MostrarAdquirirInf();
