#!/usr/bin/python
# Commissions a site's devices from a plan with cfgutil commission.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: commission
short_description: Commission a site's device servers from a plan
description:
  - Runs C(cfgutil commission --json) on the managed host, which must be on the devices' segment.
    Each device is probed, given its address, confirmed, upgraded where its firmware version
    differs, loaded with web pages where the plan names them, and recorded.
  - The plan is a CSV file on the managed host (O(plan)) or a list of rows (O(rows)), which the
    module writes as C(plan.csv) in O(work_dir).
  - The report of the previous run is given back to cfgutil as C(--resume), so a row that is done
    stays done and nothing is sent to its device. The task is C(changed) only when a device was
    sent something that changes it.
  - The task fails when a row failed, with every row in the result.
version_added: "1.0.0"
author: Device Server Works
options:
  plan:
    description:
      - A plan CSV on the managed host. Relative file names in it are taken from its folder.
      - Exactly one of O(plan) and O(rows) is given.
    type: path
  rows:
    description:
      - The plan's rows. Relative file names are taken from O(work_dir).
    type: list
    elements: dict
    suboptions:
      hardware_address:
        description: The device's hardware address, six hex pairs.
        type: str
        required: true
      ip:
        description: The device's new address.
        type: str
        required: true
      firmware:
        description: A firmware image to load.
        type: str
      firmware_version:
        description: The version the image brings, as the device query reads it.
        type: str
      destination:
        description: The product infobase display name the firmware goes to.
        type: str
      web_pages:
        description: A web page archive to load.
        type: str
      web_destination:
        description: Its web directory (WEB6 when empty).
        type: str
  work_dir:
    description:
      - Folder on the managed host for the plan written from O(rows) and for the report.
      - Required with O(rows); with O(plan) the report goes beside the plan unless O(report).
    type: path
  report:
    description: The report CSV; C(PLAN-report.csv) beside the plan when not given.
    type: path
  resume:
    description: Give the existing report back to cfgutil so that rows done stay done.
    type: bool
    default: true
  data_file:
    description: The device data file the records go into (the settings' file when not given).
    type: path
  jobs:
    description: Devices at a time (cfgutil decides when not given).
    type: int
  create_infobase:
    description: Answer yes to creating a default product infobase when there is none.
    type: bool
    default: false
  discover_timeout:
    description: Seconds the check mode's discovery collects replies.
    type: float
extends_documentation_fragment:
  - configutility.devices.cfgutil
notes:
  - In check mode nothing is sent but one discovery; each row is predicted from the devices
    found and the earlier report as C(carried over), C(already done) or C(would commission).
  - Web pages cannot be read back from a device, so a row with web pages is only left alone when
    the earlier report has it done with the same archive.
"""

EXAMPLES = r"""
- name: Commission from a plan copied to the host
  configutility.devices.commission:
    plan: /var/lib/configutility/site/plan.csv
    data_file: /var/lib/configutility/site/devices.txt
  register: site

- name: Commission from rows in the inventory
  configutility.devices.commission:
    work_dir: /var/lib/configutility/site
    rows:
      - hardware_address: 02-00-00-14-01-18
        ip: 10.20.0.31
        firmware: fw-5.0.rom
        firmware_version: "5.0"
      - hardware_address: 02-00-00-14-01-19
        ip: 10.20.0.32
"""

RETURN = r"""
rows:
  description:
    - One per plan row, in plan order, as cfgutil reports them (C(outcome) is C(done),
      C(already done), C(failed at STEP), C(interrupted) or C(not started); C(resumed) marks a row
      carried over from the earlier report).
    - In check mode the predicted rows, with C(outcome) C(carried over), C(already done) or
      C(would commission), and the device's C(currentAddress) and C(currentFirmwareVersion).
  returned: always
  type: list
  elements: dict
  sample:
    - line: 2
      hardwareAddress: 02-00-00-14-01-18
      address: 10.20.0.31
      outcome: done
      firmwareVersion: "5.0"
      failure: null
      resumed: false
report:
  description: The report file on the managed host.
  returned: always
  type: str
problems:
  description: The plan's problems, each with its line and text, when cfgutil refused the plan.
  returned: on failure
  type: list
  elements: dict
rc:
  description: cfgutil's exit status.
  returned: when cfgutil ran
  type: int
"""

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.configutility.devices.plugins.module_utils.cfgutil import (
    CFGUTIL_OPTION,
    fail,
    run_cfgutil,
)
from ansible_collections.configutility.devices.plugins.module_utils.commissioning import (
    ROW_OPTION,
    commission_arguments,
    plan_text,
    predict,
    read_csv,
    run_changed,
    write_if_changed,
)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            plan=dict(type="path"),
            rows=dict(type="list", elements="dict", options=ROW_OPTION),
            work_dir=dict(type="path"),
            report=dict(type="path"),
            resume=dict(type="bool", default=True),
            data_file=dict(type="path"),
            jobs=dict(type="int"),
            create_infobase=dict(type="bool", default=False),
            discover_timeout=dict(type="float"),
            cfgutil=CFGUTIL_OPTION,
        ),
        required_one_of=[("plan", "rows")],
        mutually_exclusive=[("plan", "rows")],
        required_by=dict(rows="work_dir"),
        supports_check_mode=True,
    )
    params = module.params
    if params["rows"] is not None:
        plan = os.path.join(params["work_dir"], "plan.csv")
        text = plan_text(params["rows"])
        if not module.check_mode:
            if not os.path.isdir(params["work_dir"]):
                os.makedirs(params["work_dir"])
            write_if_changed(plan, text)
        rows = params["rows"]
    else:
        plan = params["plan"]
        if not os.path.isfile(plan):
            module.fail_json(msg="The plan %s does not exist on this host" % plan)
        rows = read_csv(plan)
    if params["report"]:
        report = params["report"]
    elif params["rows"] is not None:
        report = os.path.join(params["work_dir"], "plan-report.csv")
    else:
        report = os.path.splitext(plan)[0] + "-report.csv"
    earlier = read_csv(report) if params["resume"] else []

    if module.check_mode:
        arguments = ["discover"]
        if params["discover_timeout"] is not None:
            arguments += ["--timeout", str(params["discover_timeout"])]
        dummy, found = run_cfgutil(module, arguments, accept=(0, 1))
        folder = os.path.dirname(plan) if params["plan"] else params["work_dir"]
        predicted = predict(rows, folder, earlier, found.get("devices") or [])
        module.exit_json(changed=any(r["outcome"] == "would commission" for r in predicted),
                         rows=predicted, report=report)

    arguments = commission_arguments(params, plan, report, bool(earlier))
    rc, document = run_cfgutil(module, arguments, accept=(0, 1, 2, 3))
    result = dict(rows=document.get("rows") or [], report=report)
    result["changed"] = run_changed(result["rows"])
    if rc != 0:
        fail(module, document, rc, **result)
    module.exit_json(rc=rc, **result)


if __name__ == "__main__":
    main()
