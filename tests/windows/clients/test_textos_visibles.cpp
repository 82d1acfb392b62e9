// Every text a user can see or hear in the windows (titles, labels, buttons, menus, tooltips,
// accessible names, column headings), listed and held against the committed list: code may move
// and be renamed, what users and their tools meet stays the same. VELMORA_ESCRIBIR_TEXTOS=1
// writes the list anew after a deliberate change of texts.
#include "ClientesDePrueba.h"
#include "core/store/Esquema.h"
#include "windows/accounts/NuevaCuenta.h"
#include "windows/accounts/VentanaCuentas.h"
#include "windows/charts/VentanaGrafico.h"
#include "windows/editor/EditorCliente.h"
#include "windows/import/HistorialImportaciones.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/inicio/InicioSesion.h"
#include "windows/inicio/VentanaArranque.h"
#include "windows/output/ExportarExcel.h"
#include "windows/output/VistaInforme.h"
#include "windows/output/VistaPrevia.h"
#include "windows/store/RegistroCompartido.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>

#include <set>

namespace {

using namespace Qt::StringLiterals;

// The Qt class a widget is made of: our own classes' names are not what users meet.
QString claseQt(const QObject* o) {
    const QMetaObject* m = o->metaObject();
    while (m && !QByteArray(m->className()).startsWith('Q'))
        m = m->superClass();
    return m ? QString::fromLatin1(m->className()) : QString();
}

void listar(const QWidget* ventana, std::set<QString>& lineas) {
    const QString v = ventana->windowTitle();
    // The run's date (a period that ends today) is not a text of the program either.
    const QString hoy = QDate::currentDate().toString(u"dd/MM/yyyy"_s);
    auto anotar = [&](const QObject* o, const char* que, const QString& texto) {
        if (!texto.trimmed().isEmpty())
            lineas.insert(u"%1 | %2 | %3 | %4"_s.arg(v, claseQt(o), QLatin1String(que),
                                                     QString(texto).replace(hoy, u"<hoy>"_s)));
    };
    QList<const QWidget*> widgets{ventana};
    for (const QWidget* w : ventana->findChildren<QWidget*>())
        widgets << w;
    for (const QWidget* w : widgets) {
        // Widgets Qt makes inside its own (a picker's line edit, a view's viewport) are Qt's texts.
        if (w != ventana && w->objectName().startsWith(u"qt_"_s))
            continue;
        anotar(w, "titulo", w == ventana ? QString() : (w->isWindow() ? w->windowTitle() : QString()));
        anotar(w, "ayuda", w->toolTip());
        anotar(w, "nombre accesible", w->accessibleName());
        anotar(w, "descripcion accesible", w->accessibleDescription());
        anotar(w, "estado", w->statusTip());
        // The status bar's clock is the time of the run, not a text of the program.
        static const QRegularExpression reloj(u"^\\d\\d(/\\d\\d/\\d{4}|:\\d\\d)$"_s);
        if (auto* l = qobject_cast<const QLabel*>(w); l && !reloj.match(l->text()).hasMatch())
            anotar(w, "texto", l->text());
        if (auto* b = qobject_cast<const QAbstractButton*>(w))
            anotar(w, "texto", b->text());
        if (auto* g = qobject_cast<const QGroupBox*>(w))
            anotar(w, "texto", g->title());
        if (auto* e = qobject_cast<const QLineEdit*>(w))
            anotar(w, "indicacion", e->placeholderText());
        if (auto* c = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                if (!c->itemText(i).startsWith(u'/')) // mounted volumes differ between machines
                    anotar(w, "opcion", c->itemText(i));
        if (auto* t = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                anotar(w, "pestana", t->tabText(i));
        if (auto* vista = qobject_cast<const QAbstractItemView*>(w); vista && vista->model()) {
            const QAbstractItemModel* m = vista->model();
            for (int c = 0; c < m->columnCount(); ++c)
                anotar(w, "columna", m->headerData(c, Qt::Horizontal).toString());
        }
        for (const QAction* a : w->actions()) {
            anotar(a, "accion", a->text());
            anotar(a, "accion ayuda",
                   a->toolTip() == QString(a->text()).remove(u'&') ? QString() : a->toolTip());
            if (a->menu())
                for (const QAction* s : a->menu()->actions())
                    anotar(s, "accion", s->text());
        }
    }
    anotar(ventana, "ventana", v);
}

class TextosVisibles : public prueba::VentanaConClientes {};

TEST_F(TextosVisibles, SonLosDeLaListaGuardada) {
    std::set<QString> lineas;
    seleccionar(u"12"_s);
    listar(ventana, lineas);

    EditorCliente* editor = EditorCliente::Abrir(oficina, ventana);
    editor->cargar(*oficina.clienteSeleccionado());
    listar(editor, lineas);
    delete editor;

    auto propias = [&](QWidget* w) {
        listar(w, lineas);
        delete w;
    };
    propias(new VentanaImportacion(oficina));
    propias(new HistorialImportaciones(oficina, ventana));
    propias(new RegistroCompartido(oficina, ventana));
    // The start-up window in each of its moments.
    {
        VentanaArranque arranque;
        listar(&arranque, lineas);
        arranque.mostrarCopia();
        listar(&arranque, lineas);
        arranque.mostrarPaso({kVersionEsquema, 1, 1, QString()});
        listar(&arranque, lineas);
    }
    // The windows that open one at a time, as their buttons open them.
    ExportarExcel::Mostrar(oficina);
    MostrarNuevaCuenta(oficina);
    MostrarVentanaCuentas(oficina);
    VentanaGrafico::Mostrar(oficina);
    InicioSesion::Mostrar(oficina);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != ventana && w->isVisible()) {
            listar(w, lineas);
            w->close();
        }
    ImprimirInformeInfracciones(oficina, ventana);
    ASSERT_NE(VistaPreviaInforme(), nullptr);
    listar(VistaPreviaInforme(), lineas);
    VistaPreviaInforme()->close();

    QStringList obtenidas(lineas.begin(), lineas.end());
    const QString ruta = QStringLiteral(VELMORA_SOURCE_DIR "/tests/windows/clients/textos_visibles.txt");
    if (qEnvironmentVariableIsSet("VELMORA_ESCRIBIR_TEXTOS")) {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((obtenidas.join(u'\n') + u'\n').toUtf8());
        return;
    }
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "falta " << ruta.toStdString();
    const QStringList esperadas = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& l : esperadas)
        EXPECT_TRUE(lineas.count(l)) << "ya no se muestra: " << l.toStdString();
    for (const QString& l : obtenidas)
        EXPECT_TRUE(esperadas.contains(l)) << "texto nuevo: " << l.toStdString();
}

} // namespace
