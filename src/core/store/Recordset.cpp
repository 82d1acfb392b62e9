#include "core/store/Recordset.h"

#include "core/store/Conexion.h"

namespace {
// Whether an ASCII text equals the one already decoded; other texts just miss.
bool igual(const QString& anterior, const char* p, int largo) {
    if (anterior.size() != largo)
        return false;
    const QChar* q = anterior.constData();
    for (int k = 0; k < largo; ++k)
        if (static_cast<unsigned char>(p[k]) >= 0x80 || q[k].unicode() != static_cast<unsigned char>(p[k]))
            return false;
    return true;
}
} // namespace

void Recordset::abrir(Conexion& db, const Consulta& consulta) {
    cerrar();
    db_ = &db;
    consulta_ = consulta;
    try {
        requery();
    } catch (...) {
        cerrar();
        throw;
    }
}

void Recordset::requery() {
    if (!db_)
        throw ErrorBD(QStringLiteral("El conjunto de registros no está abierto."));
    const auto st = db_->preparar(consulta_.sql);
    st->enlazarTodos(consulta_.parametros);
    const int n = st->columnas();
    QStringList campos;
    for (int i = 0; i < n; ++i)
        campos << st->nombreColumna(i);
    std::vector<QStringList> filas;
    // Rows often repeat a column's text (client number, device settings, inspector, date,
    // status, level): they share one string instead of decoding and allocating it again. Each
    // column keeps the texts it met last in a small table by hash; a miss just decodes. A column
    // whose texts seldom repeat (names, addresses) stops hashing and only compares with the row
    // before.
    constexpr size_t kRecientes = 64;
    constexpr int kPrueba = 1024;
    std::vector<QString> recientes(static_cast<size_t>(n) * kRecientes);
    std::vector<int> aciertos(static_cast<size_t>(n), 0);
    std::vector<bool> conTabla(static_cast<size_t>(n), true);
    int leidas = 0;
    while (st->paso()) {
        QStringList fila;
        fila.reserve(n);
        for (int i = 0; i < n; ++i) {
            int largo = 0;
            const char* p = st->bytes(i, largo);
            if (!p) {
                fila << QString();
                continue;
            }
            const size_t columna = static_cast<size_t>(i);
            size_t hueco = 0;
            if (conTabla[columna]) {
                quint32 h = 2166136261u;
                for (int k = 0; k < largo && k < 12; ++k)
                    h = (h ^ static_cast<unsigned char>(p[k])) * 16777619u;
                h ^= static_cast<quint32>(largo);
                hueco = (h + (h >> 13)) % kRecientes;
            }
            QString& reciente = recientes[columna * kRecientes + hueco];
            if (!igual(reciente, p, largo) || reciente.isNull())
                reciente = QString::fromUtf8(p, largo);
            else
                ++aciertos[columna];
            fila << reciente;
        }
        filas.push_back(std::move(fila));
        if (++leidas == kPrueba)
            for (int i = 0; i < n; ++i)
                conTabla[static_cast<size_t>(i)] = aciertos[static_cast<size_t>(i)] >= kPrueba / 4;
    }
    campos_ = std::move(campos);
    filas_ = std::move(filas);
}

void Recordset::cerrar() {
    db_ = nullptr;
    campos_.clear();
    filas_.clear();
    filas_.shrink_to_fit();
}
