# Turns the JSON of every bench_* program (slurped) into bench/README.md: each
# goal as a ratio of two figures measured in the same run, or as a rate.
[.[].benchmarks[] | select(.run_type != "aggregate")] as $all
| def one($name): ($all | map(select(.name == $name)) | first);
  def ns: if . == null then null else (if (.name | test("real_time")) then .real_time else .cpu_time end) * ({"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[.time_unit]) end;
  def time($name): one($name) | ns;
  def rate($name): one($name) | if . == null then null else .items_per_second end;
  def counter($name; $key): one($name) | if . == null then null else .[$key] end;
  def fmt: if . == null then "n/a" elif . >= 100 then (. | round | tostring)
           else ((. * 100 | round) / 100 | tostring) end;
  def human: if . == null then "n/a" elif . >= 1e9 then ((. / 1e9 * 100 | round) / 100 | tostring) + " s"
             elif . >= 1e6 then ((. / 1e6 * 100 | round) / 100 | tostring) + " ms"
             elif . >= 1e3 then ((. / 1e3 * 100 | round) / 100 | tostring) + " µs"
             else ((. * 10 | round) / 10 | tostring) + " ns" end;
  def perSecond: if . == null then "n/a" else ((. / 1e6 * 100 | round) / 100 | tostring) + " M/s" end;
  def ratio($what; $a; $b; $goal; $limit):
    (if $a == null or $b == null then null else $a / $b end) as $r
    | "| \($what) | \($a | human) | \($b | human) | \($r | fmt)× | ≤ \($goal)× | "
      + (if $r == null then "not run" elif $r <= $limit then "yes" else "no" end) + " |";
  def atLeast($what; $value; $goal; $limit):
    "| \($what) | \($value | perSecond) | | | ≥ \($goal) | "
    + (if $value == null then "not run" elif $value >= $limit then "yes" else "no" end) + " |";
  def atMost($what; $value; $shown; $goal; $limit):
    "| \($what) | \($shown) | | | ≤ \($goal) | "
    + (if $value == null then "not run" elif $value <= $limit then "yes" else "no" end) + " |";
  [
    "# Benchmarks",
    "",
    "Made by `scripts/bench` (Release build, every program run once; CPU time, real time for threaded rows; each ratio is",
    "of two figures measured in the same run). Memory is the peak resident size of a",
    "separate process that boots a file, less that of one that only parses it.",
    "",
    "| What | Figure | Floor | Ratio | Goal | Met |",
    "|---|---|---|---|---|---|",
    ratio("`Search` depth 8, 100,000 nodes / hash lookup of the path";
          time("BM_SearchDepth8In100k"); time("BM_Floor_HashLookupDepth8In100k"); 10; 10),
    atLeast("`Search` depth 8, 100,000 nodes: searches per second";
            rate("BM_SearchDepth8In100k"); "2 M/s"; 2e6),
    ratio("`Search` for the last of 10,000 siblings / the last of 10";
          time("BM_SearchLastSibling/10000"); time("BM_SearchLastSibling/10"); 1.5; 1.5),
    ratio("`append` of 10,000 children / of 1,000";
          time("BM_AppendChildren/children:10000/create:0"); time("BM_AppendChildren/children:1000/create:0"); 12; 12),
    ratio("`CreateChild` of 10,000 children / of 1,000";
          time("BM_AppendChildren/children:10000/create:1"); time("BM_AppendChildren/children:1000/create:1"); 12; 12),
    atMost("`append` of 100,000 children"; time("BM_AppendChildren/children:100000/create:0");
           (time("BM_AppendChildren/children:100000/create:0") | human); "0.5 s"; 5e8),
    atMost("`CreateChild` of 100,000 children"; time("BM_AppendChildren/children:100000/create:1");
           (time("BM_AppendChildren/children:100000/create:1") | human); "0.5 s"; 5e8),
    ratio("Boot / TinyXML parse, 96,222-node file"; time("BM_Boot/0"); time("BM_Floor_TinyXmlParse/0"); 2; 2),
    ratio("Boot / TinyXML parse, MIME-like 40,000-element file"; time("BM_Boot/1"); time("BM_Floor_TinyXmlParse/1"); 2; 2),
    ratio("Shutdown / TinyXML parse, 96,222-node file"; time("BM_Shutdown/0"); time("BM_Floor_TinyXmlParse/0"); 1; 1),
    ratio("Shutdown / TinyXML parse, MIME-like file"; time("BM_Shutdown/1"); time("BM_Floor_TinyXmlParse/1"); 1; 1),
    ratio("Shutdown / boot, one node with 100,000 children"; time("BM_Shutdown/2"); time("BM_Boot/2"); 1; 1),
    atMost("Memory beside the DOM, 100,000 nodes"; counter("BM_MemoryBesideDom/100000/iterations:1"; "KiB_per_node");
           (counter("BM_MemoryBesideDom/100000/iterations:1"; "KiB_per_node") | fmt) + " KiB/node"; "1 KiB/node"; 1),
    atMost("Memory beside the DOM, 1,111,110 nodes"; counter("BM_MemoryBesideDom/1000000/iterations:1"; "KiB_per_node");
           (counter("BM_MemoryBesideDom/1000000/iterations:1"; "KiB_per_node") | fmt) + " KiB/node"; "1 KiB/node"; 1),
    atMost("`GetFullPath` at depth 8"; time("BM_GetFullPathDepth8"); (time("BM_GetFullPathDepth8") | human); "300 ns"; 300),
    atLeast("`Alloc`/`Free` pairs with a caller record (64 bytes)"; rate("BM_AllocFreePair/64"); "5 M/s"; 5e6),
    atLeast("Tracer, accepted message, 1 thread"; rate("BM_TracerLog/passes:1/listener:0/real_time/threads:1"); "2.5 M/s"; 2.5e6),
    atLeast("Tracer, accepted message, 2 threads in total"; rate("BM_TracerLog/passes:1/listener:0/real_time/threads:2"); "1 M/s"; 1e6)
  ] | .[]
