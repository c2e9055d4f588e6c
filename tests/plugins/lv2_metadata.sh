#!/usr/bin/env bash
# Debian's LV2 tools read the bundle as any LV2 host would: lv2ls lists it
# once, lv2info describes it without complaint (name, instrument class, the
# maker's e-mail and homepage as real addresses, MIDI input, two audio
# outputs, no presets), and its data parses into the catalogue's 21
# parameters with their names, raw ranges and defaults.
#   lv2_metadata.sh PATH/TO/VorsanTembrolin.lv2
set -euo pipefail

bundle=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
catalogue="$here/../../core/FxParams.h"
uri="https://www.vorsan.example/plugins/VorsanTembrolin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Only this build's bundle and the core LV2 bundles, never an installed copy.
export LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2"

listed=$(lv2ls | grep -Fxc "$uri" || true)
(( listed == 1 )) || fail "lv2ls lists $uri $listed times"

lv2info "$uri" >"$work/info" 2>"$work/complaints" || fail "lv2info failed"
if [[ -s "$work/complaints" ]]; then fail "lv2info complains:"; cat "$work/complaints"; fi

field() { sed -n "s/^[[:space:]]*$1:[[:space:]]*//p" "$work/info" | head -n 1; }
expect_field() {
  local got; got=$(field "$1")
  [[ "$got" == "$2" ]] || fail "$1 is '$got', not '$2'"
}
expect_field "Name" "VorsanTembrolin"
expect_field "Class" "Instrument Plugin"
expect_field "Author" "Vorsan"
expect_field "Author Email" "mailto:support@vorsan.example"
expect_field "Author Homepage" "https://www.vorsan.example"

# No preset entries: the instrument has no program bank.
presets=$(awk '/^\tPresets:/ { on=1; if ($2 != "") n++; next }
                on && /^\t +[^ ]/ && !/:/ { n++; next }
                { on=0 } END { print n+0 }' "$work/info")
(( presets == 0 )) || fail "$presets presets listed"

# Audio ports, from lv2info's per-port blocks (MIDI input is checked below).
audio_outputs=$(awk -v RS= '/#AudioPort/ && /#OutputPort/' "$work/info" | grep -c "Symbol:" || true)
(( audio_outputs == 2 )) || fail "$audio_outputs audio outputs"
audio_inputs=$(awk -v RS= '/#AudioPort/ && /#InputPort/' "$work/info" | grep -c "Symbol:" || true)
(( audio_inputs == 0 )) || fail "$audio_inputs audio inputs"

# The plug-in's data as plain triples (serdi stops at any syntax error).
base="file://$bundle/"
for ttl in manifest dsp; do
  serdi -i turtle -o ntriples "$bundle/$ttl.ttl" "$base" >>"$work/triples" \
    || fail "$ttl.ttl does not parse"
done

python3 - "$work/triples" "$catalogue" "$uri" <<'PY' || failures=$((failures + 1))
import re, sys
triples_file, catalogue_file, uri = sys.argv[1:]
LV2 = "http://lv2plug.in/ns/lv2core#"
RDF_TYPE = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type"
LABEL = "http://www.w3.org/2000/01/rdf-schema#label"
triple = re.compile(r'^(\S+) <([^>]*)> (.*) \.$')
facts = {}
for line in open(triples_file, encoding="utf-8"):
    m = triple.match(line.strip())
    if m:
        s, p, o = m.groups()
        facts.setdefault(s, {}).setdefault(p, []).append(o)

def literal(o):
    m = re.match(r'^"((?:[^"\\]|\\.)*)"', o)
    return bytes(m.group(1), "utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8") if m else None

rows = [m.groups() for m in re.finditer(r'\{\s*"(\w+)",\s*"(\w+)",\s*"([^"]*)",\s*(\d+),\s*(\d+),', open(catalogue_file).read())]
problems = []
plugin = facts.get("<%s>" % uri, {})
writable = plugin.get("http://lv2plug.in/ns/ext/patch#writable", [])
if len(writable) != len(set(writable)):
    problems.append("parameters share identifiers: %s" % sorted(writable))
params = {s: f for s, f in facts.items() if "<%sParameter>" % LV2 in f.get(RDF_TYPE, [])}
if len(rows) != 21 or len(params) != 21 or len(set(writable)) != 21:
    problems.append("%d catalogue rows, %d parameters, %d writable" % (len(rows), len(params), len(set(writable))))
by_label = {}
for s, f in params.items():
    labels = [literal(o) for o in f.get(LABEL, [])]
    if len(labels) != 1:
        problems.append("%s has labels %s" % (s, labels))
    for label in labels:
        by_label[label] = f
for group, ident, name, max_value, default in rows:
    name = name.replace("\\'", "'")
    f = by_label.get(name)
    if f is None:
        problems.append("no parameter named %r" % name)
        continue
    got = tuple(float(literal(f.get(LV2 + k, ['""'])[0]) or "nan") for k in ("minimum", "maximum", "default"))
    want = (0.0, float(max_value), float(default))
    if got != want:
        problems.append("%s: minimum, maximum, default %s instead of %s" % (name, got, want))
# MIDI in: an input port that takes MIDI events.
ATOM = "http://lv2plug.in/ns/ext/atom#"
midi_inputs = [s for s, f in facts.items()
               if "<%sInputPort>" % LV2 in f.get(RDF_TYPE, [])
               and "<http://lv2plug.in/ns/ext/midi#MidiEvent>" in f.get(ATOM + "supports", [])]
if len(midi_inputs) != 1:
    problems.append("%d MIDI inputs" % len(midi_inputs))
for p in problems:
    print("FAIL:", p)
print("%d parameters checked against the catalogue" % len(rows))
sys.exit(1 if problems else 0)
PY

echo "lv2info:"; sed -n '1,12p' "$work/info"
if (( failures > 0 )); then echo "$failures problems"; exit 1; fi
echo "the LV2 bundle reads as it should"
