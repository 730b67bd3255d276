#!/usr/bin/env python3
"""Validates JSON documents against a JSON Schema (draft 7): validate_json.py SCHEMA DOC...

Prints every error with its place in the document and exits 1 when a document does not
follow the schema, 2 when the schema itself is not a valid schema.
"""
import json
import sys

import jsonschema


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    try:
        jsonschema.Draft7Validator.check_schema(schema)
    except jsonschema.SchemaError as e:
        print(f"{sys.argv[1]}: not a valid schema: {e.message}")
        return 2
    validator = jsonschema.Draft7Validator(schema)
    bad = 0
    for path in sys.argv[2:]:
        with open(path, encoding="utf-8") as f:
            document = json.load(f)
        for error in sorted(validator.iter_errors(document), key=lambda e: list(e.path)):
            place = "/".join(str(p) for p in error.path)
            print(f"{path}: /{place}: {error.message}")
            bad += 1
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
