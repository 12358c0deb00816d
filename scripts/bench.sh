#!/usr/bin/env bash
# Runs the benchmarks interleaved and repeated, and prints each figure beside
# its baseline from the same run and their ratio, so figures compare across
# machines and across a busy host:
#
#   scripts/bench.sh [-r ROUNDS] [-t SECONDS] [[NAME=]BUILD_DIR...]   # default: 5 rounds, 0.2 s, build
#
# Each round runs every program of every build folder in turn, so several
# folders (build and build-release, or an older build) are compared side by
# side in one run; NAME labels a folder in the table. A figure's ratio is
# the median over the rounds of figure / baseline, both timed in the same
# program run; its time is the median of its wall-clock times.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=5
min_time=0.2
while getopts "r:t:h" option; do
    case $option in
        r) rounds=$OPTARG ;;
        t) min_time=$OPTARG ;;
        *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- build
builds=()
declare -A label
for argument in "$@"; do
    folder=${argument#*=}
    builds+=("$folder")
    label[$folder]=${argument%%=*}
done
width=5
for build in "${builds[@]}"; do [ ${#label[$build]} -le $width ] || width=${#label[$build]}; done

# program|figure|baseline|what the figure is
pairs=(
    "present|BM_PresentFrameHeadless|BM_CopyFrameBaseline|presentation of an 800x600 frame to a copy of it"
    "present|BM_PresentFrameNewGammaEachTime|BM_CopyFrameBaseline|presentation with a new gamma to a copy"
    "frame|BM_TestScreenFrame|BM_ClearFrameMemory|test screen frame at 800x600 to a memset of it"
    "frame|BM_StartToFirstFrame|BM_StartEmptyProgram|start to first frame to an empty program's start"
    "rasterizer|BM_TestSceneFrame|BM_Memset|the test scene's triangles to a memset of the frame"
    "rasterizer|BM_GouraudDithered|BM_Memset|a Gouraud dithered screen to a memset"
    "rasterizer|BM_TexturedBilinearDithered|BM_Memset|a bilinear textured screen to a memset"
    "rasterizer|BM_TexturedPerspectiveBilinear|BM_Memset|a perspective textured screen to a memset"
    "registry|WarmRead/100000|MapLookup/100000|registry value read (100000 values) to a map look-up"
    "registry|WarmRead/100|MapLookup/100|registry value read (100 values) to a map look-up"
    "text|BM_ExtTextOutModeLine|BM_MemsetModeLineRect|the mode line's text to a memset of its rectangle"
)
programs=$(printf '%s\n' "${pairs[@]}" | cut -d'|' -f1 | awk '!seen[$0]++')

for build in "${builds[@]}"; do
    for program in $programs; do
        [ -x "$build/bin/bench_$program" ] || { echo "bench.sh: $build/bin/bench_$program is missing (build it first)" >&2; exit 1; }
    done
done

results=$(mktemp)
csv=$(mktemp)
trap 'rm -f "$results" "$csv"' EXIT
for ((round = 1; round <= rounds; round++)); do
    echo "round $round of $rounds" >&2
    for program in $programs; do
        names=$(printf '%s\n' "${pairs[@]}" | awk -F'|' -v p="$program" '$1 == p { print $2; print $3 }' | sort -u)
        filter="^($(echo $names | tr ' ' '|'))(/iterations:[0-9]+)?(/real_time)?\$"
        for build in "${builds[@]}"; do
            # name,iterations,real_time,cpu_time,time_unit,...; times into nanoseconds
            # (through a file: the registry benchmark prints its own report)
            "$build/bin/bench_$program" --benchmark_filter="$filter" --benchmark_min_time="$min_time" \
                --benchmark_out="$csv" --benchmark_out_format=csv >/dev/null 2>&1 || true
            awk -F, -v build="$build" -v round="$round" '
                    $1 ~ /^"/ { name = $1; gsub(/"/, "", name); sub(/\/(iterations|real_time).*/, "", name)
                                scale = ($5 == "ms") ? 1e6 : ($5 == "us") ? 1e3 : ($5 == "s") ? 1e9 : 1
                                print build, round, name, $3 * scale }' "$csv" >>"$results"
        done
    done
done

printf "%-32s %-22s %-${width}s %11s %11s %8s\n" figure baseline build time "base time" ratio
for pair in "${pairs[@]}"; do
    IFS='|' read -r program figure baseline what <<<"$pair"
    for build in "${builds[@]}"; do
        awk -v build="$build" -v name="${label[$build]}" -v width="$width" -v f="$figure" -v b="$baseline" '
            function median(list, n,   i, j, t) {
                for (i = 2; i <= n; i++) for (j = i; j > 1 && list[j - 1] > list[j]; j--) { t = list[j]; list[j] = list[j - 1]; list[j - 1] = t }
                return n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2
            }
            function shown(ns) { return ns >= 1e6 ? sprintf("%.2f ms", ns / 1e6) : ns >= 1e3 ? sprintf("%.1f us", ns / 1e3) : sprintf("%.1f ns", ns) }
            $1 == build && $3 == f { ft[$2] = $4 }
            $1 == build && $3 == b { bt[$2] = $4 }
            END {
                n = 0
                for (r in ft) if (r in bt && bt[r] > 0) { n++; ratio[n] = ft[r] / bt[r]; fs[n] = ft[r]; bs[n] = bt[r] }
                if (n == 0) { printf "%-32s %-22s %-*s %11s\n", f, b, width, name, "(no figures)"; exit }
                printf "%-32s %-22s %-*s %11s %11s %8.2f\n", f, b, width, name, shown(median(fs, n)), shown(median(bs, n)), median(ratio, n)
            }' "$results"
    done
done
