#!/usr/bin/env python3
"""Lists every enumeration constant that namespace vexiro declares, as the compiler sees it.

Reads clang's JSON AST dump of the namespace (clang++ -Xclang -ast-dump=json -Xclang
-ast-dump-filter=vexiro) on standard input and prints one line per constant, sorted:
"Enumeration Constant Value". A type alias of an enumeration lists the aliased constants under
its own name as well.
"""
import json
import sys


def declarations(text):
    decoder = json.JSONDecoder()
    at = 0
    while True:
        while at < len(text) and text[at] != "{":
            at += 1
        if at >= len(text):
            return
        node, at = decoder.raw_decode(text, at)
        yield node


def constant_value(node):
    for child in node.get("inner", []):
        if child.get("kind") == "ConstantExpr" and "value" in child:
            return int(child["value"])
        found = constant_value(child)
        if found is not None:
            return found
    return None


def walk(node, enums, aliases):
    kind = node.get("kind")
    if kind == "EnumDecl" and "name" in node:
        enums[node["name"]] = [(c["name"], constant_value(c)) for c in node.get("inner", [])
                               if c.get("kind") == "EnumConstantDecl"]
        return
    if kind in ("TypeAliasDecl", "TypedefDecl"):
        aliases[node["name"]] = node["type"].get("desugaredQualType", node["type"]["qualType"])
        return
    if kind in ("NamespaceDecl", "LinkageSpecDecl"):
        for child in node.get("inner", []):
            walk(child, enums, aliases)


def main():
    enums, aliases = {}, {}
    for root in declarations(sys.stdin.read()):
        if root.get("kind") == "NamespaceDecl" and root.get("name") == "vexiro":
            walk(root, enums, aliases)
    for alias, target in aliases.items():
        target = target.removeprefix("vexiro::")
        if target in enums:
            enums[alias] = enums[target]
    lines = sorted(f"{name} {constant} {value}" for name, constants in enums.items()
                   for constant, value in constants)
    print("\n".join(lines))


if __name__ == "__main__":
    main()
