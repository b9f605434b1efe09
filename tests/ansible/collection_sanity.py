#!/usr/bin/env python3
"""The collection's modules: ansible-doc shows each one whole, every option it declares
is documented as it is (type, elements, required, default, suboptions) and the reverse,
and the sanity tests of ansible-test that need no download pass.

Usage: collection_sanity.py COLLECTION_DIR   (exit status 77: skipped)"""
import importlib
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
MODULES = ("discover", "device", "commission")
# The sanity tests ansible-test runs without installing anything.
OFFLINE_SANITY = ("compile", "future-import-boilerplate", "metaclass-boilerplate", "shebang",
                  "line-endings", "no-smart-quotes", "empty-init", "use-argspec-type-path",
                  "symlinks", "no-assert", "no-basestring", "replace-urlopen", "use-compat-six",
                  "no-illegal-filenames")


class Captured(Exception):
    pass


def argument_spec(name):
    module = importlib.import_module("ansible_collections.configutility.devices.plugins.modules."
                                     + name)
    declared = {}

    def capture(**kwargs):
        declared.update(kwargs)
        raise Captured()

    module.AnsibleModule = capture
    try:
        module.main()
    except Captured:
        pass
    return declared


def differences(declared, documented, where):
    found = []
    for option in sorted(set(declared) | set(documented)):
        at = where + option
        if option not in documented or option not in declared:
            found.append("%s: %s" % (at, "not documented" if option in declared else "not among the declared options"))
            continue
        s, d = declared[option], documented[option]
        for key, fallback in (("type", "str"), ("elements", None), ("required", False),
                              ("default", None)):
            if s.get(key, fallback) != d.get(key, fallback):
                found.append("%s: %s %r declared, %r documented"
                             % (at, key, s.get(key, fallback), d.get(key, fallback)))
        if s.get("options") or d.get("suboptions"):
            found += differences(s.get("options") or {}, d.get("suboptions") or {}, at + ".")
    return found


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    ansible_doc = shutil.which("ansible-doc")
    if not ansible_doc:
        print("SKIP: ansible-core is not installed (scripts/install-deps.sh installs it)")
        sys.exit(SKIP)
    try:
        importlib.import_module("ansible")
    except ImportError:
        # Another Python than the one ansible-core is installed for: go on in that one.
        with open(ansible_doc) as script:
            interpreter = script.readline()[2:].split()
        if interpreter and os.path.realpath(interpreter[-1]) != os.path.realpath(sys.executable):
            os.execv(interpreter[0], interpreter + [os.path.abspath(__file__)] + sys.argv[1:])
        raise
    failures = []
    with tempfile.TemporaryDirectory(prefix="cfgtest-collection-") as folder:
        # ansible-test wants a real tree under ansible_collections/NAMESPACE/NAME.
        tree = os.path.join(folder, "ansible_collections", "configutility", "devices")
        shutil.copytree(sys.argv[1], tree, ignore=shutil.ignore_patterns("__pycache__", "reports"))
        environment = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=folder, ANSIBLE_NOCOLOR="1",
                           ANSIBLE_LOCAL_TEMP=os.path.join(folder, "tmp"))
        sys.path.insert(0, folder)
        for name in MODULES:
            run = subprocess.run(["ansible-doc", "--json", "configutility.devices." + name],
                                 capture_output=True, text=True, env=environment)
            try:
                page = json.loads(run.stdout)["configutility.devices." + name]
            except (ValueError, KeyError):
                failures.append("%s: ansible-doc failed: %s" % (name, run.stderr.strip()))
                continue
            for part in ("doc", "examples", "return"):
                if not page.get(part):
                    failures.append("%s: no %s" % (name, part))
            failures += differences(argument_spec(name)["argument_spec"],
                                    page["doc"].get("options") or {}, name + ": ")
        if shutil.which("ansible-test"):
            command = ["ansible-test", "sanity", "--python",
                       "%d.%d" % sys.version_info[:2]]
            for test in OFFLINE_SANITY:
                command += ["--test", test]
            run = subprocess.run(command, cwd=tree, capture_output=True, text=True,
                                 env=environment)
            if run.returncode != 0:
                failures.append("ansible-test sanity: " + (run.stdout + run.stderr)[-3000:])
    for failure in failures:
        print("FAIL: " + failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
