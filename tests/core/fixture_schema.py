#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
"""The fixture files of the reader's tests, checked against the JSON Schema
that ships with the program: every file the reader takes is valid, every
file it refuses is invalid, except the faults that a schema cannot express
(files named *.beyond-schema.json: text that is not JSON, a key given
twice, names given twice, a state breaking its own exclusive rule)."""
import json
import pathlib
import sys

import jsonschema

top = pathlib.Path(sys.argv[1])
schema = json.loads((top / "docs" / "fixture.schema.json").read_text())
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
rows = top / "tests" / "data" / "fixtures"

failures = []
valid = sorted((rows / "valid").glob("*.json"))
invalid = sorted(p for p in (rows / "invalid").glob("*.json")
                 if not p.name.endswith(".beyond-schema.json"))
for path in valid:
    errors = list(validator.iter_errors(json.loads(path.read_text())))
    if errors:
        failures.append(f"{path.name}: the schema refuses a file the reader takes: "
                        f"{errors[0].message}")
for path in invalid:
    if validator.is_valid(json.loads(path.read_text())):
        failures.append(f"{path.name}: the schema takes a file the reader refuses")
if not valid or not invalid:
    failures.append(f"no fixture files under {rows}")
for failure in failures:
    print(failure)
print(f"{len(valid)} valid and {len(invalid)} invalid fixture files checked, "
      f"{len(failures)} disagreements")
sys.exit(1 if failures else 0)
