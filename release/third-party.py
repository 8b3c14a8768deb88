#!/usr/bin/env python3
"""What of others' code the programs carry, read from their link maps.

    third-party.py notices VERSION BUNDLE MAP...
        writes BUNDLE/THIRD-PARTY-NOTICES.txt
    third-party.py sbom VERSION BUNDLE CREATED MAP...
        writes BUNDLE/Quillmere-VERSION.spdx.json (SPDX 2.3), CREATED being
        the commit's time in seconds since 1970
    third-party.py check VERSION BUNDLE MAP...
        fails unless the bundle's notices and SBOM name every component
        that the maps show, and the SBOM's checksums are the bundle's files'

Each MAP is ARCH=PATH: x64 or x86, and the link map of that Quillmere.exe.
Components, licences and the files they come from are in
third-party-components.txt beside this script; versions and notices come
from the Debian packages that provided the linked files. Everything written
depends on the inputs alone, never on the time or the folder of the build.
"""

import hashlib
import json
import os
import re
import subprocess
import sys
import time
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
COMPONENTS = os.path.join(HERE, "third-party-components.txt")
GPL3 = "/usr/share/common-licenses/GPL-3"
NOTICES = "THIRD-PARTY-NOTICES.txt"
RULE = "=" * 72


def fail(message):
    sys.exit(f"third-party.py: {message}")


def read_components():
    """[(name, licence, [file names])] in the list's order."""
    components = []
    with open(COMPONENTS, encoding="utf-8") as listing:
        for line in listing:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, licence, files = (field.strip() for field in line.split("|"))
            components.append((name, licence, files.split()))
    return components


def linked_files(map_path):
    """The files from outside the build that the linker took code from:
    archives that gave a member, and objects loaded by path. The build's
    own files stand in the map by relative paths."""
    files = set()
    with open(map_path, encoding="utf-8", errors="replace") as link_map:
        lines = link_map.read().splitlines()
    members_end = lines.index("Discarded input sections") if "Discarded input sections" in lines else len(lines)
    for line in lines[:members_end]:
        match = re.match(r"(/[^(\s]+)\(", line)
        if match:
            files.add(os.path.realpath(match.group(1)))
    for line in lines:
        match = re.match(r"LOAD (/\S+\.o)$", line)
        if match:
            files.add(os.path.realpath(match.group(1)))
    return sorted(files)


def dpkg(*args):
    return subprocess.run(["dpkg-query", *args], check=True, capture_output=True, text=True).stdout


def package_of(path):
    """(package, version, architecture) of the Debian package holding path."""
    owner = dpkg("-S", path).splitlines()[0].split(":")[0]
    version, architecture = dpkg("-W", "-f=${Version} ${Architecture}", owner).split()
    return owner, version, architecture


def read_inventory(maps):
    """{arch: [(component, licence, package, version, deb architecture)]},
    each program's linked components in the list's order."""
    components = read_components()
    by_file = {f: (name, licence) for name, licence, files in components for f in files}
    inventory = {}
    for arch, map_path in maps:
        found = {}
        for path in linked_files(map_path):
            if os.path.basename(path) not in by_file:
                fail(f"{arch}: {path} is linked, and no component of {COMPONENTS} names it")
            name, licence = by_file[os.path.basename(path)]
            package = package_of(path)
            if found.setdefault(name, (licence, package)) != (licence, package):
                fail(f"{arch}: {name} comes from two packages, {found[name][1][0]} and {package[0]}")
        order = [name for name, _, _ in components]
        inventory[arch] = [(name, *found[name][0:1], *found[name][1]) for name in sorted(found, key=order.index)]
    return inventory


def parse_maps(arguments):
    maps = []
    for argument in arguments:
        arch, _, path = argument.partition("=")
        if arch not in ("x64", "x86") or not path:
            fail(f"not ARCH=MAP: {argument}")
        maps.append((arch, path))
    return maps


def copyright_file(package):
    return f"/usr/share/doc/{package}/copyright"


def read_text(path):
    with open(path, encoding="utf-8") as text:
        return text.read().rstrip("\n") + "\n"


def write_notices(version, bundle, maps):
    inventory = read_inventory(maps)
    # Each distinct text once: the two bitnesses' packages share theirs.
    texts = []  # [(text, heading, [where it comes from])]

    def text_number(text, heading, source):
        for number, (known, _, sources) in enumerate(texts, 1):
            if known == text:
                if source not in sources:
                    sources.append(source)
                return number
        texts.append((text, heading, [source]))
        return len(texts)

    names = []
    for rows in inventory.values():
        names += [row[0] for row in rows if row[0] not in names]
    out = [f"Third-party notices for Quillmere {version}", "=" * len(f"Third-party notices for Quillmere {version}"), ""]
    out += [
        "Both programs of this bundle are linked statically. Besides Quillmere's",
        "own code, each carries code of the components below, as the linker took",
        "it from the Debian packages named, in the versions named. The licence of",
        "each is the text given for it further down. Quillmere-" + version + ".spdx.json",
        "lists the same components.",
        "",
        "Components",
        "----------",
    ]
    licences = {name: licence for name, licence, _ in read_components()}
    for name in names:
        out += ["", name]
        numbers = []
        for arch, rows in inventory.items():
            for package, package_version in [(row[2], row[3]) for row in rows if row[0] == name]:
                out.append(f"    {arch}:       {package} {package_version}")
                numbers.append(text_number(read_text(copyright_file(package)),
                                           "the copyright file of the Debian packages", f"{package} {package_version}"))
        if "GPL-3.0" in licences[name]:
            numbers.append(text_number(read_text(GPL3), "the GNU General Public License, version 3",
                                       f"which the copyright files above name as {GPL3}"))
        out.append(f"    Licence:   {licences[name]}")
        out.append("    Texts:     " + ", ".join(str(n) for n in sorted(set(numbers))))
    out += ["", "", "Texts", "-----"]
    for number, (text, heading, sources) in enumerate(texts, 1):
        out += ["", RULE, f"Text {number}: {heading}", *(f"    {source}" for source in sources), RULE, "",
                text.rstrip("\n")]
    with open(os.path.join(bundle, NOTICES), "w", encoding="utf-8", newline="\r\n") as notices:
        notices.write("\n".join(out) + "\n")


def file_digests(path):
    with open(path, "rb") as data:
        content = data.read()
    return {"SHA1": hashlib.sha1(content).hexdigest(), "SHA256": hashlib.sha256(content).hexdigest()}


def purl(package, version, architecture):
    quoted = version.replace("%", "%25").replace("+", "%2B").replace(":", "%3A")
    return f"pkg:deb/debian/{package}@{quoted}?arch={architecture}"


def slug(text):
    return re.sub(r"[^A-Za-z0-9.]+", "-", text.replace("+", "x")).strip("-")


def toolchain_of(map_path):
    """The tools that built the program, from the CMake cache of its build
    folder (the map lies in its bin/), as [(role, path)]."""
    build = os.path.dirname(os.path.dirname(os.path.abspath(map_path)))
    cache = {}
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as entries:
        for line in entries:
            match = re.match(r"([A-Za-z_]+):[A-Z]+=(.*)$", line.rstrip("\n"))
            if match:
                cache[match.group(1)] = match.group(2)
    return [
        ("compiler", cache["QUILLMERE_PROGRAM_CXX"]),
        ("linker", cache["CMAKE_LINKER"]),
        ("build system", cache["CMAKE_COMMAND"]),
        ("build tool", cache["CMAKE_MAKE_PROGRAM"]),
    ]


def write_sbom(version, bundle, created, maps):
    inventory = read_inventory(maps)
    programs = {arch: f"{arch}/Quillmere.exe" for arch, _ in maps}
    digests = {arch: file_digests(os.path.join(bundle, path)) for arch, path in programs.items()}
    # Unique for every different pair of programs, the same for the same.
    name = f"Quillmere-{version}"
    seed = name + "".join(digests[arch]["SHA256"] for arch in sorted(digests))
    namespace = f"https://spdx.org/spdxdocs/{name}-{uuid.uuid5(uuid.NAMESPACE_URL, seed)}"

    packages = [{
        "SPDXID": "SPDXRef-Package-Quillmere",
        "name": "Quillmere",
        "versionInfo": version,
        "primaryPackagePurpose": "APPLICATION",
        "downloadLocation": "NOASSERTION",
        "filesAnalyzed": False,
        "licenseConcluded": "NOASSERTION",
        "licenseDeclared": "NOASSERTION",
        "copyrightText": "NOASSERTION",
        "comment": "Quillmere's own licence is its owner's to choose and is not stated here.",
    }]
    files = []
    relationships = [{"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                      "relatedSpdxElement": "SPDXRef-Package-Quillmere"}]
    licence_refs = {}
    tools = {}
    for arch, map_path in maps:
        file_id = f"SPDXRef-File-{arch}-Quillmere.exe"
        files.append({
            "SPDXID": file_id,
            "fileName": "./" + programs[arch],
            "fileTypes": ["BINARY", "APPLICATION"],
            "checksums": [{"algorithm": algorithm, "checksumValue": value}
                          for algorithm, value in sorted(digests[arch].items())],
            "licenseConcluded": "NOASSERTION",
            "copyrightText": "NOASSERTION",
            "comment": f"Quillmere.exe for {'64-bit' if arch == 'x64' else '32-bit'} Outlook, statically linked.",
        })
        relationships.append({"spdxElementId": "SPDXRef-Package-Quillmere", "relationshipType": "CONTAINS",
                              "relatedSpdxElement": file_id})
        for component, licence, package, package_version, architecture in inventory[arch]:
            package_id = f"SPDXRef-Package-{arch}-{slug(component)}"
            packages.append({
                "SPDXID": package_id,
                "name": component,
                "versionInfo": package_version,
                "primaryPackagePurpose": "LIBRARY",
                "supplier": "Organization: Debian",
                "downloadLocation": "NOASSERTION",
                "filesAnalyzed": False,
                "licenseConcluded": "NOASSERTION",
                "licenseDeclared": licence,
                "copyrightText": "NOASSERTION",
                "sourceInfo": f"linked from the Debian package {package} {package_version} ({architecture})",
                "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                                  "referenceLocator": purl(package, package_version, architecture)}],
            })
            relationships.append({"spdxElementId": file_id, "relationshipType": "STATIC_LINK",
                                  "relatedSpdxElement": package_id})
            for ref in re.findall(r"LicenseRef-[A-Za-z0-9.-]+", licence):
                licence_refs.setdefault(ref, package)
        for role, path in toolchain_of(map_path):
            package, package_version, architecture = package_of(os.path.realpath(path))
            tool_id = f"SPDXRef-Tool-{slug(package)}"
            if tool_id not in tools:
                tools[tool_id] = {
                    "SPDXID": tool_id,
                    "name": package,
                    "versionInfo": package_version,
                    "supplier": "Organization: Debian",
                    "downloadLocation": "NOASSERTION",
                    "filesAnalyzed": False,
                    "licenseConcluded": "NOASSERTION",
                    "licenseDeclared": "NOASSERTION",
                    "copyrightText": "NOASSERTION",
                    "comment": "",
                    "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                                      "referenceLocator": purl(package, package_version, architecture)}],
                }
            roles = tools[tool_id]["comment"]
            label = f"{role} of {programs[arch]}"
            tools[tool_id]["comment"] = f"{roles}; {label}" if roles else label
            relationships.append({"spdxElementId": tool_id, "relationshipType": "BUILD_TOOL_OF",
                                  "relatedSpdxElement": file_id})
    packages += [tools[tool_id] for tool_id in sorted(tools)]

    document = {
        "spdxVersion": "SPDX-2.3",
        "dataLicense": "CC0-1.0",
        "SPDXID": "SPDXRef-DOCUMENT",
        "name": name,
        "documentNamespace": namespace,
        "creationInfo": {
            "created": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(int(created))),
            "creators": ["Tool: Quillmere release/third-party.py"],
            "comment": "The time is the commit's, so that one commit gives one document.",
        },
        "packages": packages,
        "files": files,
        "relationships": relationships,
        "hasExtractedLicensingInfos": [{
            "licenseId": ref,
            "name": f"the licences of {package}'s copyright file",
            "extractedText": read_text(copyright_file(package)),
            "comment": f"The copyright file of the Debian package {package}; also in {NOTICES}.",
        } for ref, package in sorted(licence_refs.items())],
    }
    with open(os.path.join(bundle, f"{name}.spdx.json"), "w", encoding="utf-8", newline="\n") as sbom:
        json.dump(document, sbom, indent=2, ensure_ascii=False)
        sbom.write("\n")


def check(version, bundle, maps):
    inventory = read_inventory(maps)
    problems = []
    with open(os.path.join(bundle, NOTICES), encoding="utf-8", newline="") as notices_file:
        notices = notices_file.read()
    if re.search(r"(?<!\r)\n", notices):
        problems.append(f"{NOTICES} has lines without CR LF")
    notices = notices.replace("\r\n", "\n")
    try:
        with open(os.path.join(bundle, f"Quillmere-{version}.spdx.json"), encoding="utf-8") as sbom_file:
            sbom = json.load(sbom_file)
    except (OSError, ValueError) as error:
        sys.exit(f"the SBOM does not parse: {error}")
    if sbom.get("spdxVersion") != "SPDX-2.3" or sbom.get("dataLicense") != "CC0-1.0":
        problems.append("the SBOM is not an SPDX 2.3 document")
    packages = {package["SPDXID"]: package for package in sbom.get("packages", [])}
    files = {entry["SPDXID"]: entry for entry in sbom.get("files", [])}
    quillmere = packages.get("SPDXRef-Package-Quillmere", {})
    if quillmere.get("versionInfo") != version or quillmere.get("licenseDeclared") != "NOASSERTION":
        problems.append("the SBOM does not name Quillmere " + version + " with licence NOASSERTION")
    for arch, rows in inventory.items():
        path = f"{arch}/Quillmere.exe"
        entries = [entry for entry in files.values() if entry.get("fileName") == "./" + path]
        if len(entries) != 1:
            problems.append(f"the SBOM does not name {path} once")
            continue
        listed = {c["algorithm"]: c["checksumValue"] for c in entries[0].get("checksums", [])}
        if listed != file_digests(os.path.join(bundle, path)):
            problems.append(f"the SBOM's checksums of {path} are not the file's")
        linked = {r["relatedSpdxElement"] for r in sbom.get("relationships", [])
                  if r["spdxElementId"] == entries[0]["SPDXID"] and r["relationshipType"] == "STATIC_LINK"}
        for component, licence, package, package_version, _ in rows:
            if f"\n{component}\n" not in notices or f"\n    {arch}:       {package} {package_version}\n" not in notices:
                problems.append(f"{NOTICES} lacks {component} in {path} ({package} {package_version})")
            if not any(packages.get(ref, {}).get("name") == component
                       and packages[ref].get("versionInfo") == package_version
                       and packages[ref].get("licenseDeclared") == licence for ref in linked):
                problems.append(f"the SBOM lacks {component} {package_version} ({licence}) in {path}")
        if len(linked) != len(rows):
            problems.append(f"the SBOM names {len(linked)} components in {path}, the link map {len(rows)}")
    for problem in problems:
        print(f"third-party check: {problem}", file=sys.stderr)
    sys.exit(1 if problems else 0)


def main(argv):
    if len(argv) >= 4 and argv[1] == "notices":
        write_notices(argv[2], argv[3], parse_maps(argv[4:]))
    elif len(argv) >= 5 and argv[1] == "sbom":
        write_sbom(argv[2], argv[3], argv[4], parse_maps(argv[5:]))
    elif len(argv) >= 4 and argv[1] == "check":
        check(argv[2], argv[3], parse_maps(argv[4:]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
