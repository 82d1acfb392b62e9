#!/bin/sh
# Builds the benchmarks in Release, runs them and gathers their figures: every benchmark ends by
# printing one line per interaction,
#   MEDIDA nombre=<id> ms=<our ms> ancla_ms=<anchor ms, or empty>
#          objetivo_razon=<at most this many times the anchor, or empty>
#          objetivo_ms=<at most these ms, or empty> objetivo=<target as text>
# (bench/Medidas.h prints it). Each benchmark runs VELMORA_REPETICIONES times (5 by default), in
# rounds over all of them, so a burst of load on the machine falls on one run of each and not on
# all runs of one; ours and its anchor always come from the same run. The table and
# build-bench/resultados.json give the medians (ms, ancla_ms, razon) and the lowest and highest
# ratio (rango); "cumple" says whether the medians meet the numeric target.
#   scripts/medir.sh [conjunto | benchmark ...]
# Sets: actual (today's size), grande (ten times it), servidor (the shared register on a
# PostgreSQL server of its own); with no arguments, those three. Any other name runs that
# benchmark alone, as bench_<name> or by its full name (`scripts/medir.sh informe`); `carga` is the
# desks under load (bench_carga_oficinas).
# The generated registers stay in build-bench/datos-*, one folder per version of the generator,
# and are reused by later runs.
set -eu
raiz=$(cd "$(dirname "$0")/.." && pwd)
dir="$raiz/build-bench"
repeticiones=${VELMORA_REPETICIONES:-5}
export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="qt.qpa.*=false"
lanzador=""
if command -v ccache >/dev/null 2>&1; then
    lanzador="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086
cmake -S "$raiz" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF $lanzador >/dev/null

# One line per run: the program and its arguments.
conjunto() {
    case "$1" in
    actual)
        # bench_decodificador reports no interaction; bench_generador is a tool.
        for p in bench_busqueda_clientes bench_carga_clientes bench_exportar_excel bench_firma \
            bench_grafico_niveles bench_importacion bench_informe bench_verificacion_registro \
            bench_vista_infracciones; do
            echo "$p"
        done
        ;;
    grande)
        echo "bench_carga_clientes --grande"
        echo "bench_busqueda_clientes --grande"
        echo "bench_vista_infracciones --grande"
        echo "bench_importacion --grande"
        echo "bench_migracion_grande"
        # The office summary over 10,000,000 rows, on the file and on a server of its own.
        echo "bench_resumen_oficina"
        ;;
    servidor) echo "bench_servidor" ;;
    # The desks under load and failures (5 minutes; VELMORA_CARGA_SEGUNDOS for less).
    carga) echo "bench_carga_oficinas" ;;
    bench_*) echo "$1" ;;
    *) echo "bench_$1" ;;
    esac
}
[ "$#" -gt 0 ] || set -- actual grande servidor
corridas=$(for c in "$@"; do conjunto "$c"; done)
programas=$(echo "$corridas" | cut -d' ' -f1 | sort -u)
for p in $programas; do
    cmake --build "$dir" -j2 --target "$p"
done

datos="$dir/datos-$(cat "$raiz/bench/Generador.h" | sha1sum | cut -c1-12)"
for viejo in "$dir"/datos-*; do
    [ -d "$viejo" ] && [ "$viejo" != "$datos" ] && rm -rf "$viejo"
done
mkdir -p "$datos"
export VELMORA_BENCH_DATOS="$datos"

# Once is enough for what has no anchor and takes long.
una_vez() {
    case "$1" in
    bench_migracion_grande* | bench_carga_oficinas* | bench_resumen_oficina*) return 0 ;;
    *) return 1 ;;
    esac
}

medidas="$dir/medidas.txt"
: >"$medidas"
inicio=$(date +%s)
ronda=1
while [ "$ronda" -le "$repeticiones" ]; do
    echo "$corridas" | while IFS= read -r corrida; do
        [ -n "$corrida" ] || continue
        if [ "$ronda" -gt 1 ] && una_vez "$corrida"; then
            continue
        fi
        echo "== ronda $ronda/$repeticiones: $corrida ($(($(date +%s) - inicio)) s)" >&2
        log="$dir/$(echo "$corrida" | sed "s/ --*/_/g").log"
        # The benchmark's own report goes to stderr and to its log; only the figures are kept.
        # shellcheck disable=SC2086
        if ! (cd "$dir" && ./$corrida) >"$log" 2>&1; then
            echo "   ($corrida falló; ver $log)" >&2
        fi
        if grep -q '^MEDIDA ' "$log"; then
            grep '^MEDIDA ' "$log" | sed "s/^/$ronda /" >>"$medidas"
        else
            echo "   ($corrida no informó medidas)" >&2
        fi
    done
    ronda=$((ronda + 1))
done
echo "Total: $(($(date +%s) - inicio)) s" >&2

python3 - "$medidas" "$dir/resultados.json" <<'EOF'
import json, re, statistics, sys
formato = re.compile(r"(\d+) MEDIDA nombre=(\S+) ms=(\S*) ancla_ms=(\S*) objetivo_razon=(\S*) objetivo_ms=(\S*) "
                     r"objetivo=(.*)$")
def numero(v):
    return float(v) if v else None
def mediana(v):
    v = [x for x in v if x is not None]
    return statistics.median(v) if v else None
def cumple(ms, ancla, razon, razon_obj, tope):
    # Every bound given must hold; a ratio without its anchor cannot be judged.
    juicios = []
    if razon_obj is not None:
        if razon is None:
            return None
        juicios.append(razon <= razon_obj)
    if tope is not None:
        if ms is None:
            return None
        juicios.append(ms <= tope)
    return all(juicios) if juicios else None
corridas = {}
orden = []
for linea in open(sys.argv[1], encoding="utf-8"):
    linea = linea.rstrip("\n")
    m = formato.match(linea)
    if not m:
        print(f"Línea MEDIDA sin el formato esperado, omitida: {linea}", file=sys.stderr)
        continue
    _, nombre, ms, ancla, razon_obj, ms_obj, objetivo = m.groups()
    if nombre not in corridas:
        orden.append(nombre)
        corridas[nombre] = {"ms": [], "ancla": [], "razon": [], "objetivo": objetivo,
                            "razon_obj": numero(razon_obj), "ms_obj": numero(ms_obj)}
    c = corridas[nombre]
    ms, ancla = numero(ms), numero(ancla)
    c["ms"].append(ms)
    c["ancla"].append(ancla)
    # Each run's ratio from its own pair: the median ratio is not the ratio of the medians.
    c["razon"].append(ms / ancla if ms is not None and ancla else None)
    c["objetivo"] = objetivo
filas = []
for nombre in orden:
    c = corridas[nombre]
    razones = [r for r in c["razon"] if r is not None]
    ms, ancla, razon = mediana(c["ms"]), mediana(c["ancla"]), mediana(razones)
    filas.append({"nombre": nombre, "ms": round(ms, 3) if ms is not None else None,
                  "ancla_ms": round(ancla, 3) if ancla is not None else None,
                  "razon": round(razon, 2) if razon is not None else None,
                  "rango": [round(min(razones), 2), round(max(razones), 2)] if razones else None,
                  "corridas": len(c["ms"]), "objetivo": c["objetivo"],
                  "objetivo_razon": c["razon_obj"], "objetivo_ms": c["ms_obj"],
                  "cumple": cumple(ms, ancla, razon, c["razon_obj"], c["ms_obj"])})
with open(sys.argv[2], "w", encoding="utf-8") as f:
    json.dump(filas, f, ensure_ascii=False, indent=2)
def num(v, fmt):
    return "" if v is None else fmt.format(v)
def si_no(v):
    return "" if v is None else ("sí" if v else "no")
ancho = max([len("Interacción")] + [len(x["nombre"]) for x in filas])
print(f"{'Interacción':<{ancho}}  {'ms':>10}  {'ancla ms':>10}  {'razón':>6}  {'rango':>11}  {'n':>2}  "
      f"{'cumple':>6}  objetivo")
for x in filas:
    rango = f"{x['rango'][0]:.2f}–{x['rango'][1]:.2f}" if x["rango"] else ""
    print(f"{x['nombre']:<{ancho}}  {num(x['ms'], '{:.1f}'):>10}  {num(x['ancla_ms'], '{:.1f}'):>10}  "
          f"{num(x['razon'], '{:.2f}'):>6}  {rango:>11}  {x['corridas']:>2}  {si_no(x['cumple']):>6}  "
          f"{x['objetivo']}")
print(f"\n{len(filas)} medidas (medianas de hasta {max([x['corridas'] for x in filas] + [0])} corridas); "
      f"JSON en {sys.argv[2]}")
EOF
