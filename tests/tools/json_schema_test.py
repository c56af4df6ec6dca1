#!/usr/bin/env python3
"""The schemas in docs/schema against what veltara-cli really prints: each schema is valid and has the
version docs/json.md states; decode, ports and program (against simulated converters) validate.
Usage: json_schema_test.py VELTARA_CLI VELTARA_SIM DOCS_FOLDER"""
import json, os, pathlib, random, re, shutil, subprocess, sys, tempfile

from jsonschema import Draft202012Validator
from jsonschema.exceptions import best_match

cli, sim, docs = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), pathlib.Path(sys.argv[3])
schemas = {p.name.removesuffix(".schema.json"): json.loads(p.read_text()) for p in (docs / "schema").glob("*.json")}
failures = []


def validator(name):
    try:
        from referencing import Registry, Resource
    except ImportError:  # jsonschema before 4.18, as Debian 12 has it
        from jsonschema import RefResolver
        store = {s["$id"]: s for s in schemas.values()}
        return Draft202012Validator(schemas[name], resolver=RefResolver.from_schema(schemas[name], store=store))
    registry = Registry().with_resources((s["$id"], Resource.from_contents(s)) for s in schemas.values())
    return Draft202012Validator(schemas[name], registry=registry)


stated = dict(re.findall(r"\[([\w-]+)\.schema\.json\]\(schema/[^)]+\) \| (\d+) \|", (docs / "json.md").read_text()))
if sorted(stated) != sorted(schemas):
    failures.append(f"docs/json.md lists {sorted(stated)}, docs/schema holds {sorted(schemas)}")
for name, schema in schemas.items():
    try:
        Draft202012Validator.check_schema(schema)
    except Exception as error:
        failures.append(f"{name}: not a valid schema: {error}")
    version = stated.get(name)
    if schema.get("$id") != f"https://veltara.invalid/schema/{name}/{version}" or \
            not schema.get("title", "").endswith(f", version {version}"):
        failures.append(f"{name}: $id {schema.get('$id')} or title does not give version {version} as docs/json.md")
if failures:  # output is only worth checking against schemas that are right
    sys.exit("\n".join(failures))


def frame(body):  # 32 bytes and their checksum, the sum modulo 256
    return " ".join(f"{b:02X}" for b in [*body, sum(body) % 256])


factory = subprocess.run([cli, "encode", "--defaults"], capture_output=True, text=True, check=True).stdout.split()
rng = random.Random(21)
randoms = [frame([rng.randrange(256) for _ in range(32)]) for _ in range(4)]
work = pathlib.Path(tempfile.mkdtemp())
(work / "home").mkdir()
env = dict(os.environ, HOME=str(work / "home"), XDG_CONFIG_HOME=str(work / "home/.config"))
bad_port = b"/dev/\xff"  # not UTF-8: its bytes come back under port_hex, an error's under error_hex
log = str(work / "results.log")
gang = ["--defaults", "--port", "COM1", "--port", "COM2", "--port", "COM3"]
# name, arguments, exit code, the schema of each line (one name: the whole output is one document)
runs = [
    ("decode the factory frame", ["decode", "--json", *factory], 0, ["decode"]),
    ("decode a wrong checksum", ["decode", "--json", *factory[:-1], "00"], 1, ["decode"]),
    *((f"decode random frame {i}", ["decode", "--json", f], 0, ["decode"]) for i, f in enumerate(randoms)),
    ("decode bad hex", ["decode", "--json", "03 0G"], 2, ["decode"]),
    ("ports", ["ports", "--json"], 0, ["ports"]),
    ("ports, a wrong option", ["ports", "--json", "--bogus"], 2, ["ports"]),
    ("program, a port named twice", ["program", "--json", "--defaults", "--port", bad_port, "--port", bad_port], 2,
     ["program"]),
    ("program without a port", ["program", "--defaults", "--json"], 2, ["program"]),
    ("program --json-lines without a port", ["program", "--defaults", "--json-lines"], 2, ["program"]),
    ("program refusing corrections", ["program", "--json", "--settings", "bad.ini", "--port", "COM1"], 2, ["program"]),
    ("program --json-lines refusing corrections", ["program", "--json-lines", "--settings", "bad.ini", "--port", "COM1"],
     2, ["program-result", "program"]),
    ("program --dry-run", ["program", "--dry-run", "--json", "--frame", randoms[0], "--port", "COM1", "--port", bad_port],
     0, ["program"]),
    ("program --dry-run --json-lines", ["program", "--dry-run", "--json-lines", *gang], 0, ["program"]),
    ("program ack, silent, nak, no port", ["program", "--json", *gang, "--port", bad_port], 2, ["program"]),
    ("program --json-lines --log", ["program", "--json-lines", "--log", log, *gang], 1, ["program-result"] * 3),
]

sims = []
try:
    for com, reply in ("COM1", "ack"), ("COM2", "silent"), ("COM3", "nak"):
        sims.append(subprocess.Popen([sim, "--as", com, "--reply", reply], env=env, stdout=subprocess.PIPE, text=True))
        # Its "reply" line comes after COMn links to it; the end of its output means it did not start.
        if not any(line.startswith("reply ") for line in sims[-1].stdout):
            sys.exit(f"veltara-sim --as {com} did not start")
    subprocess.run([cli, "save", "--settings", "bad.ini", "--defaults"], cwd=work, env=env, check=True, capture_output=True)
    record = bytearray((work / "bad.ini").read_bytes())
    record[0], record[126:134] = 12, b"0       "  # a port the window refuses, a period it corrects
    (work / "bad.ini").write_bytes(record)
    outputs = []
    for name, args, code, kinds in runs:
        done = subprocess.run([cli, *args], cwd=work, env=env, capture_output=True)
        if done.returncode != code:
            failures.append(f"{name}: exit {done.returncode}, not {code}: {done.stderr.decode(errors='replace')}")
        outputs.append((name, done.stdout, kinds))
    outputs.append(("the --log file", pathlib.Path(log).read_bytes(), ["program-log"] * 3))
finally:
    for s in sims:
        s.terminate()
        s.wait()
    shutil.rmtree(work)

seen = set()
for name, text, kinds in outputs:
    documents = [text] if len(kinds) == 1 else text.splitlines()
    if len(documents) != len(kinds):
        failures.append(f"{name}: {len(documents)} lines, not {len(kinds)}")
    for document, kind in zip(documents, kinds):
        try:
            value = json.loads(document)
        except ValueError as error:
            failures.append(f"{name}: not JSON ({error}): {document[:200]!r}")
            continue
        if error := best_match(validator(kind).iter_errors(value)):
            failures.append(f"{name}: not {kind}: {error.message} at {list(error.absolute_path)} in {value}")
        for result in value.get("results", [value]):
            seen |= {result.get("verdict")} | {k for k in result if k.endswith("_hex")}
        seen |= {k for k in value if k.endswith("_hex")} | ({"changed"} if value.get("changed") else set())
# The runs reach the schemas' branches they are for, or a schema that is too lax would pass unnoticed.
for expected in "accepted", "silent", "wrong_reply", "port_not_open", "settings_refused", "port_hex", "error_hex", "changed":
    if expected not in seen:
        failures.append(f"no output had {expected}")
print("\n".join(failures) or f"{len(outputs)} outputs match the schemas {sorted(schemas)}")
sys.exit(1 if failures else 0)
