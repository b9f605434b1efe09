#!/usr/bin/python
# Finds the device servers on the managed host's segments.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: discover
short_description: Find the device servers on the managed host's segments
description:
  - Runs C(cfgutil discover --json) on the managed host. The query is a broadcast, so it finds
    the devices of the segments that host is on, and no others.
  - Sets the fact C(configutility_devices). Never changes anything.
  - Two devices answering with one address are listed in C(conflicts), and each of them has
    C(conflict=true).
version_added: "1.0.0"
author: Device Server Works
options:
  interfaces:
    description: Interfaces to send the query out of; all usable ones when empty.
    type: list
    elements: str
    default: []
  timeout:
    description: Seconds to collect replies.
    type: float
extends_documentation_fragment:
  - configutility.devices.cfgutil
notes:
  - Supports check mode; it only sends queries.
  - No device answering is not a failure; C(devices) is then empty.
"""

EXAMPLES = r"""
- name: Find the devices of this site
  configutility.devices.discover:
    timeout: 3
  register: found

- name: Stop when two devices share an address
  ansible.builtin.assert:
    that: found.conflicts | length == 0
    fail_msg: "{{ found.conflicts }}"
"""

RETURN = r"""
devices:
  description: One entry per hardware address, ordered by address, as cfgutil reports them.
  returned: always
  type: list
  elements: dict
  sample:
    - address: 198.18.1.10
      hardwareAddress: 02-00-00-04-0B-0C
      firmwareVersion: "4.10"
      firmwareType: X1
      deviceType: Device Server
      interfaces: [eth1]
      replies: 1
      firstReplyMs: 3
      conflict: false
conflicts:
  description: Addresses answered by more than one device, with the hardware addresses answering.
  returned: always
  type: list
  elements: dict
  sample:
    - address: 198.18.1.10
      hardwareAddresses: [02-00-00-04-0B-0C, 02-00-00-04-0B-0D]
interfaces:
  description: The interfaces the query went out of, as cfgutil reports them.
  returned: always
  type: list
  elements: dict
ansible_facts:
  description: C(configutility_devices), the same list as C(devices).
  returned: always
  type: dict
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.configutility.devices.plugins.module_utils.cfgutil import (
    CFGUTIL_OPTION,
    run_cfgutil,
)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            interfaces=dict(type="list", elements="str", default=[]),
            timeout=dict(type="float"),
            cfgutil=CFGUTIL_OPTION,
        ),
        supports_check_mode=True,
    )
    arguments = ["discover"]
    for name in module.params["interfaces"]:
        arguments += ["--interface", name]
    if module.params["timeout"] is not None:
        arguments += ["--timeout", str(module.params["timeout"])]
    # Status 1 is "no device answered": an empty segment is an answer, not a fault.
    dummy, document = run_cfgutil(module, arguments, accept=(0, 1))
    devices = document.get("devices") or []
    module.exit_json(
        changed=False,
        devices=devices,
        conflicts=document.get("conflicts") or [],
        interfaces=document.get("interfaces") or [],
        ansible_facts=dict(configutility_devices=devices),
    )


if __name__ == "__main__":
    main()
