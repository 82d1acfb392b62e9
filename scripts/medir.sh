#!/bin/sh
# Builds the benchmarks in Release, runs them all and gathers their figures: every benchmark ends
# by printing one line per interaction,
#   MEDIDA nombre=<id> ms=<our ms> ancla_ms=<anchor ms, or empty>
#          objetivo_razon=<at most this many times the anchor, or empty>
#          objetivo_ms=<at most these ms, or empty> objetivo=<target as text>
# (bench/Medidas.h prints it) which this script turns into a table and into
# build-bench/resultados.json; "cumple" says whether the numeric target is met.
# Timings depend on the machine's load: compare ratios from the same run.
#   scripts/medir.sh [bench_name ...]   (default: every bench_* built)
set -eu
raiz=$(cd "$(dirname "$0")/.." && pwd)
dir="$raiz/build-bench"
export QT_QPA_PLATFORM=offscreen
cmake -S "$raiz" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
if [ "$#" -gt 0 ]; then
    programas="$*"
    for p in $programas; do
        cmake --build "$dir" -j2 --target "$p"
    done
else
    cmake --build "$dir" -j2
    programas=$(cd "$dir" && find . -maxdepth 1 -type f -perm -u+x -name 'bench_*' | sed 's|^\./||' | sort)
fi
[ -n "$programas" ] || { echo "No se construyó ningún benchmark (¿falta Google Benchmark?)." >&2; exit 1; }

medidas="$dir/medidas.txt"
: >"$medidas"
for p in $programas; do
    echo "== $p" >&2
    # The benchmark's own report goes to stderr; only the figures are kept.
    if ! "$dir/$p" 2>&1 | tee "$dir/$p.log" | grep '^MEDIDA ' >>"$medidas"; then
        echo "   ($p no informó medidas)" >&2
    fi
done

python3 - "$medidas" "$dir/resultados.json" <<'EOF'
import json, re, sys
formato = re.compile(r"MEDIDA nombre=(\S+) ms=(\S*) ancla_ms=(\S*) objetivo_razon=(\S*) objetivo_ms=(\S*) "
                     r"objetivo=(.*)$")
def numero(v):
    return float(v) if v else None
def cumple(ms, ancla, razon, tope):
    # Every bound given must hold; a ratio without its anchor cannot be judged.
    juicios = []
    if razon is not None:
        if ms is None or not ancla:
            return None
        juicios.append(ms / ancla <= razon)
    if tope is not None:
        if ms is None:
            return None
        juicios.append(ms <= tope)
    return all(juicios) if juicios else None
filas = []
for linea in open(sys.argv[1], encoding="utf-8"):
    linea = linea.rstrip("\n")
    m = formato.match(linea)
    if not m:
        print(f"Línea MEDIDA sin el formato esperado, omitida: {linea}", file=sys.stderr)
        continue
    nombre, ms, ancla, razon_obj, ms_obj, objetivo = m.groups()
    ms, ancla, razon_obj, ms_obj = numero(ms), numero(ancla), numero(razon_obj), numero(ms_obj)
    razon = round(ms / ancla, 2) if ms is not None and ancla else None
    filas.append({"nombre": nombre, "ms": ms, "ancla_ms": ancla, "razon": razon, "objetivo": objetivo,
                  "objetivo_razon": razon_obj, "objetivo_ms": ms_obj,
                  "cumple": cumple(ms, ancla, razon_obj, ms_obj)})
with open(sys.argv[2], "w", encoding="utf-8") as f:
    json.dump(filas, f, ensure_ascii=False, indent=2)
def num(v, fmt):
    return "" if v is None else fmt.format(v)
def si_no(v):
    return "" if v is None else ("sí" if v else "no")
ancho = max([len("Interacción")] + [len(x["nombre"]) for x in filas])
print(f"{'Interacción':<{ancho}}  {'ms':>10}  {'ancla ms':>10}  {'razón':>6}  {'cumple':>6}  objetivo")
for x in filas:
    print(f"{x['nombre']:<{ancho}}  {num(x['ms'], '{:.1f}'):>10}  {num(x['ancla_ms'], '{:.1f}'):>10}  "
          f"{num(x['razon'], '{:.2f}'):>6}  {si_no(x['cumple']):>6}  {x['objetivo']}")
print(f"\n{len(filas)} medidas; JSON en {sys.argv[2]}")
EOF
