# Runs cfgutil --json on the managed host and turns its document into a result.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import shlex

INSTALL_HINT = (
    "cfgutil is not installed on this host: install the configutility Debian package "
    "(sudo apt install ./configutility_*.deb), or set the cfgutil option to the program's path"
)

CFGUTIL_OPTION = dict(type="str", default="cfgutil")


def cfgutil_command(module):
    """The command prefix that starts cfgutil: a program, or a wrapper such as
    'ip netns exec SITE /usr/bin/cfgutil'. Only the program named first is looked up."""
    words = shlex.split(module.params["cfgutil"] or "cfgutil")
    if not words:
        module.fail_json(msg=INSTALL_HINT)
    found = module.get_bin_path(words[0], required=False)
    if not found:
        module.fail_json(msg=INSTALL_HINT, cfgutil=module.params["cfgutil"])
    return [found] + words[1:]


def run_cfgutil(module, arguments, accept=(0,)):
    """Runs cfgutil COMMAND --json ARGS and returns its document. A status outside
    'accept' fails the task with cfgutil's own error text and exit status."""
    command = cfgutil_command(module) + ["--json"] + list(arguments)
    rc, out, err = module.run_command(command, check_rc=False)
    try:
        document = json.loads(out)
        if not isinstance(document, dict):
            raise ValueError("not an object")
    except ValueError:
        module.fail_json(
            msg="cfgutil wrote no JSON document (exit status %d): %s" % (rc, (err or out).strip()),
            rc=rc, cmd=command, stderr=err)
    if rc not in accept:
        fail(module, document, rc, command=command, stderr=err)
    return rc, document


def fail(module, document, rc, **extra):
    error = document.get("error") or "cfgutil ended with exit status %d" % rc
    module.fail_json(msg=error, rc=rc, problems=document.get("problems", []),
                     messages=document.get("messages", []), **extra)
