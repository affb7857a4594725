#!/usr/bin/python3
# The program as a screen reader meets it, over the AT-SPI accessibility bus, for the end-to-end tests:
#   dump: each object of the program's windows, indented by depth: "role: name - description"
#   find ROLE:NAME...: succeeds when each of them is in the tree, else names those missing; a list that drops down
#     is named by its label, which AT-SPI gives as a relation, since its own name is the entry chosen
import sys

import pyatspi


def program():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Zovodazad":
            return app
    sys.exit("the program is not on the accessibility bus")


def walk(obj, depth=0):
    yield depth, obj
    for child in obj:
        if child is not None:
            yield from walk(child, depth + 1)


def labels(obj):
    return [
        r.getTarget(i).name
        for r in obj.getRelationSet()
        if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
        for i in range(r.getNTargets())
    ]


def main(command, *wanted):
    objects = [(depth, o.getRoleName(), o.name, o.description, labels(o)) for depth, o in walk(program())]
    if command == "dump":
        for depth, role, name, description, _ in objects:
            print("  " * depth + f"{role}: {name}" + (f" - {description}" if description else ""))
        return
    if command == "find":
        present = {f"{role}:{name}" for _, role, name, _, by in objects for name in [name] + by}
        missing = [w for w in wanted if w not in present]
        sys.exit("missing: " + "; ".join(missing) if missing else 0)
    sys.exit("unknown command " + command)


if __name__ == "__main__":
    main(*sys.argv[1:])
