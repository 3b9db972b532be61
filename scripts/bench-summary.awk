# Prints scripts/bench's table from what its programs wrote. Input lines, by file:
#   CORPUS.csv      Google Benchmark CSV of the parse and save programs on one corpus
#   process.txt     CORPUS NAME median_s min_s max_s median_rss_kib min_rss_kib max_rss_kib
#   memory.txt      memory CORPUS READER INPUT KIB (how far one load raised the peak RSS)
#   other.csv       Google Benchmark CSV of the session and preferences programs
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
function memory(c,   m, n) {
  m = key(c, "module"); n = key(c, "naive")
  if (!(m in rss) || !(n in rss)) return "-"
  return sprintf("%.2f (%.0f/%.0f MiB)", rss[m] / rss[n], rss[m] / 1024, rss[n] / 1024)
}
# The kernel counts a few KiB differently from run to run: a difference below 0 is none.
function mib(kib) { return sprintf("%.1f", (kib < 0 ? 0 : kib) / 1024) }
function kept(c) {
  return mib(mem[key(c, "module,records")] - mem[key(c, "module,empty")]) " / " \
         mib(mem[key(c, "naive,records")] - mem[key(c, "naive,empty")]) " MiB"
}
function row(figure, a, b, c, target) {
  printf "%-38s %-24s %-24s %-24s %s\n", figure, a, b, c, target
}
function each(figure, fn, arg1, arg2, target) {
  row(figure, call(fn, "repetitive", arg1, arg2), call(fn, "product", arg1, arg2),
      call(fn, "unique", arg1, arg2), target)
}
function call(fn, c, a1, a2) {
  if (fn == "speed") return speed(c, a1, a2)
  if (fn == "seconds") return seconds(c, a1)
  if (fn == "memory") return memory(c)
  if (fn == "rss") return peakRss(c, a1)
  if (fn == "rate") return rate(c, a1)
  if (fn == "ratio") return ratio(c, a1, a2)
  if (fn == "growth") return growth(c, a1, a2)
  if (fn == "teardown") return teardown(c)
  if (fn == "kept") return kept(c)
  return "?"
}
END {
  row("figure", "repetitive", "product", "unique", "target (rep/prod/uniq)")
  each("whole load --summary, x naive", "speed", "module", "naive", ">= 2 / >= 2 / >= 1.5")
  each("  etbtool load --summary", "seconds", "module", "", "")
  each("  naive reader process", "seconds", "naive", "", "")
  each("whole-process peak RSS, x naive", "memory", "", "", "- / <= 0.5 / <= 0.8")
  each("check, x load --summary", "speed", "check", "module", ">= 1 / >= 1 / >= 1")
  each("  etbtool check", "seconds", "check", "", "")
  each("  etbtool check peak RSS", "rss", "check", "", "")
  each("load, host road, x naive", "ratio", "BM_ModuleParse", "BM_NaiveBaseline", "")
  each("parse of fetched copy, x naive", "ratio", "BM_ModuleParseFetched", "BM_NaiveBaseline", "")
  each("parse in place, x naive", "ratio", "BM_ModuleParseInPlace", "BM_NaiveBaseline", "")
  each("  module, parse of fetched copy", "rate", "BM_ModuleParseFetched", "", "")
  each("  naive reader", "rate", "BM_NaiveBaseline", "", "")
  each("save, x write + copy", "ratio", "BM_ModuleSave", "BM_BufferedWriteAndCopy", ">= 0.5")
  each("save, x write + copy + fsync", "ratio", "BM_ModuleSave", "BM_BufferedWriteAndDurableCopy",
       "")
  each("  module save", "rate", "BM_ModuleSave", "", "")
  each("teardown time / parse time", "teardown", "", "", "<= 0.10")
  each("parse, time of 1M over 100k", "growth", "BM_ModuleParseFetched",
       "BM_ModuleParseFetchedTenth", "9 to 11")
  each("  naive reader, 1M over 100k", "growth", "BM_NaiveBaseline", "BM_NaiveBaselineTenth", "")
  each("save, time of 1M over 100k", "growth", "BM_ModuleSave", "BM_ModuleSaveTenth", "9 to 11")
  each("peak RSS over empty, module / naive", "kept", "", "", "")
  print ""
  row("zip session load, x libzip", ratio("other", "BM_ZipSessionLoad", "BM_LibzipExtract"), "",
      "", ">= 0.67")
  prefs = "-"
  p1 = key("other", "BM_PreferencesSaveAndLoad/10000"); p2 = key("other", "BM_PreferencesSaveAndLoad/100000")
  if ((p1 in items) && (p2 in items)) prefs = sprintf("%.1f", 10 * items[p1] / items[p2])
  row("preferences, 100k / 10k time", prefs, "", "", "<= 12")
  row("peak RSS over empty, 1M skipped lines",
      mib(mem[key("repetitive", "module,skipped")] - mem[key("repetitive", "module,empty")]) " / " \
      mib(mem[key("repetitive", "naive,skipped")] - mem[key("repetitive", "naive,empty")]) " MiB",
      "", "", "< 16 MiB")
  if (nfailed > 0) exit 1  # a failed load is an error, not a slow result
}
