# Prints scripts/bench's table from what its programs wrote. Input lines, by file:
#   CORPUS.csv      Google Benchmark CSV of the parse and save programs on one corpus
#   process.txt     CORPUS NAME.MODE median_s min_s max_s median_rss_kib min_rss_kib max_rss_kib
#   memory.txt      memory CORPUS READER.MODE INPUT KIB (how far one load raised the peak RSS)
#   other.csv       Google Benchmark CSV of the session and preferences programs
# MODE is thp (huge pages as the system gives them) or nothp (through EtbNoHugePages).
# Variables (awk -v): loadBefore and loadAfter, the first three fields of /proc/loadavg before
# and after the runs; thp, the system's transparent huge page setting.
function key(corpus, name) { return corpus SUBSEP name }
# CSV files are split at commas, the others at spaces.
FNR == 1 { FS = FILENAME ~ /\.csv$/ ? "," : " "; $0 = $0 }
FILENAME ~ /\.csv$/ {
  if ($1 !~ /^"BM_/) next
  corpus = FILENAME; sub(/.*\//, "", corpus); sub(/\.csv$/, "", corpus)
  name = $1; gsub(/"/, "", name); sub(/\/iterations.*/, "", name)
  k = key(corpus, name)
  if ($9 == "true") { failed[k] = $10; nfailed++; next }
  if ($1 ~ /_median"$/) { bytes[k] = $6; items[k] = $7 }
  if ($1 ~ /_cv"$/) cv[k] = $7
  next
}
FILENAME ~ /process\.txt$/ {
  k = key($1, $2); median[k] = $3; least[k] = $4; most[k] = $5
  rss[k] = $6; rssLeast[k] = $7; rssMost[k] = $8
  next
}
FILENAME ~ /memory\.txt$/ { mem[key($2, $3 "," $4)] = $5; next }

function rate(c, n,   k) {
  k = key(c, n)
  if (k in failed) return "FAILED"
  if (!(k in items)) return "-"
  return sprintf("%.0f MB/s +-%.0f%%", bytes[k] / 1e6, cv[k] * 100)
}
# Throughput of n over that of base, with both coefficients of variation.
function ratio(c, n, base,   k, b) {
  k = key(c, n); b = key(c, base)
  if ((k in failed) || (b in failed)) return "FAILED"
  if (!(k in items) || !(b in items)) return "-"
  return sprintf("%.2f (+-%.0f/%.0f%%)", items[k] / items[b], cv[k] * 100, cv[b] * 100)
}
# Time of the whole over time of the tenth: ten times the tenth's record rate over the whole's.
function growth(c, whole, tenth) {
  if (!(key(c, whole) in items) || !(key(c, tenth) in items)) return "-"
  return sprintf("%.1f", 10 * items[key(c, tenth)] / items[key(c, whole)])
}
# Time of the teardown over the time of the parse.
function teardown(c,   t, p) {
  t = key(c, "BM_ModuleTeardown"); p = key(c, "BM_ModuleParseFetched")
  if (!(t in items) || !(p in items)) return "-"
  return sprintf("%.3f", items[p] / items[t])
}
# Whole processes: the time of `slow` over that of `fast`, median and the extremes' range.
function speed(c, fast, slow,   m, n) {
  m = key(c, fast); n = key(c, slow)
  if (!(m in median) || !(n in median)) return "-"
  return sprintf("%.2f (%.2f-%.2f)", median[n] / median[m], least[n] / most[m], most[n] / least[m])
}
function seconds(c, who,   k) {
  k = key(c, who)
  return (k in median) ? sprintf("%.2f s (%.2f-%.2f)", median[k], least[k], most[k]) : "-"
}
function peakRss(c, who,   k) {
  k = key(c, who)
  return (k in rss) ? sprintf("%.0f MiB", rss[k] / 1024) : "-"
}
# Peak RSS of one process over that of another, with both in MiB.
function memory(c, who, base,   m, n) {
  m = key(c, who); n = key(c, base)
  if (!(m in rss) || !(n in rss)) return "-"
  return sprintf("%.2f (%.0f/%.0f MiB)", rss[m] / rss[n], rss[m] / 1024, rss[n] / 1024)
}
# The kernel counts a few KiB differently from run to run: a difference below 0 is none.
function mib(kib) { return sprintf("%.1f", (kib < 0 ? 0 : kib) / 1024) }
# How far a load of `input` raised the peak over a load of the empty file, for reader a and,
# unless b is "", reader b.
function raised(c, reader, input,   k) {
  k = key(c, reader "," input)
  return (k in mem) ? mib(mem[k] - mem[key(c, reader ",empty")]) : "-"
}
function kept(c, a, b, input) {
  return raised(c, a, input) (b == "" ? "" : " / " raised(c, b, input)) " MiB"
}
function row(figure, values, target,   i, line) {
  line = sprintf("%-45s", figure)
  for (i = 1; i <= ncorpora; i++) line = line sprintf(" %-24s", values[i])
  print line " " target
}
function each(figure, fn, arg1, arg2, target,   i, values) {
  for (i = 1; i <= ncorpora; i++) values[i] = call(fn, corpora[i], arg1, arg2)
  row(figure, values, target)
}
# A whole-process figure once per memory mode: its names carry the mode.
function modes(figure, fn, arg1, arg2, target,   m) {
  for (m = 1; m <= 2; m++) {
    each(figure " (" mode[m] ")", fn, arg1 (arg1 == "" ? "" : "." mode[m]),
         arg2 (arg2 == "" ? "" : "." mode[m]), target)
  }
}
function call(fn, c, a1, a2) {
  if (fn == "speed") return speed(c, a1, a2)
  if (fn == "seconds") return seconds(c, a1)
  if (fn == "memory") return memory(c, a1, a2)
  if (fn == "rss") return peakRss(c, a1)
  if (fn == "rate") return rate(c, a1)
  if (fn == "ratio") return ratio(c, a1, a2)
  if (fn == "growth") return growth(c, a1, a2)
  if (fn == "teardown") return teardown(c)
  if (fn == "kept") return kept(c, a1, a2, "records")
  return "?"
}
function one(figure, value, target,   i, values) {
  values[1] = value
  for (i = 2; i <= ncorpora; i++) values[i] = ""
  row(figure, values, target)
}
# The 1-minute load average at or above this marks the run: an idle two-core machine shows
# about 1.0 under the benchmark itself.
function busy(load,   fields) {
  return split(load, fields, " ") >= 1 && fields[1] + 0 >= 1.5
}
END {
  ncorpora = split("repetitive product unique mixed", corpora, " ")
  split("thp nothp", mode, " ")
  print "load average (1/5/15 min) before: " loadBefore ", after: " loadAfter
  print "modes: thp = huge pages as the system gives them (transparent_hugepage " thp \
        "), nothp = through EtbNoHugePages"
  if (busy(loadBefore) || busy(loadAfter)) {
    print "BUSY MACHINE: a 1-minute load average of 1.5 or more; these figures are not a" \
          " measurement"
  }
  print ""
  for (i = 1; i <= ncorpora; i++) values[i] = corpora[i]
  row("figure", values, "target (every corpus)")
  modes("whole load --summary, x naive", "speed", "module", "naive", ">= 1.5")
  modes("whole load --summary, x fast", "speed", "module", "fast", ">= 1.0")
  modes("  etbtool load --summary", "seconds", "module", "", "")
  modes("  naive reader process", "seconds", "naive", "", "")
  modes("  fast reader process", "seconds", "fast", "", "")
  modes("whole-process peak RSS, x naive", "memory", "module", "naive", "<= 0.7")
  modes("whole-process peak RSS, x fast", "memory", "module", "fast", "")
  modes("check, x load --summary", "speed", "check", "module", ">= 1")
  modes("  etbtool check", "seconds", "check", "", "")
  modes("  etbtool check peak RSS", "rss", "check", "", "")
  each("load, host road, x naive", "ratio", "BM_ModuleParse", "BM_NaiveBaseline", "")
  each("parse of fetched copy, x naive", "ratio", "BM_ModuleParseFetched", "BM_NaiveBaseline", "")
  each("parse in place, x naive", "ratio", "BM_ModuleParseInPlace", "BM_NaiveBaseline", "")
  each("  module, parse of fetched copy", "rate", "BM_ModuleParseFetched", "", "")
  each("  naive reader", "rate", "BM_NaiveBaseline", "", "")
  each("save, x durable protocol by hand", "ratio", "BM_ModuleSave", "BM_DurableSaveByHand",
       ">= 0.8")
  each("save records phase, x buffered write", "ratio", "BM_ModuleSaveRecordsPhase",
       "BM_BufferedWrite", ">= 0.5")
  each("save commit phase, x its steps by hand", "ratio", "BM_ModuleSaveCommitPhase",
       "BM_DurableSaveByHandCommit", "")
  each("  module save", "rate", "BM_ModuleSave", "", "")
  each("  durable protocol by hand", "rate", "BM_DurableSaveByHand", "", "")
  each("teardown time / parse time", "teardown", "", "", "<= 0.10")
  each("parse, time of 1M over 100k", "growth", "BM_ModuleParseFetched",
       "BM_ModuleParseFetchedTenth", "9 to 11")
  each("  naive reader, 1M over 100k", "growth", "BM_NaiveBaseline", "BM_NaiveBaselineTenth", "")
  each("save, time of 1M over 100k", "growth", "BM_ModuleSave", "BM_ModuleSaveTenth", "9 to 11")
  modes("peak RSS over empty, module / naive", "kept", "module", "naive", "")
  modes("  fast reader, peak RSS over empty", "kept", "fast", "", "")
  print ""
  one("zip session load, x libzip", ratio("other", "BM_ZipSessionLoad", "BM_LibzipExtract"),
      ">= 0.67")
  prefs = "-"
  p1 = key("other", "BM_PreferencesSaveAndLoad/10000"); p2 = key("other", "BM_PreferencesSaveAndLoad/100000")
  if ((p1 in items) && (p2 in items)) prefs = sprintf("%.1f", 10 * items[p1] / items[p2])
  one("preferences, 100k / 10k time", prefs, "<= 12")
  for (m = 1; m <= 2; m++) {
    one("peak RSS over empty, 1M skipped lines (" mode[m] ")",
        kept("repetitive", "module." mode[m], "naive." mode[m], "skipped"), "< 16 MiB")
  }
  if (nfailed > 0) exit 1  # a failed load is an error, not a slow result
}
