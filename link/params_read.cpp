// Reading the parameter set from the sensor's RAM or EEPROM.
#include "link/link.h"

#include "app/state.h"

int ReadParameterSet(int from, ExchangeWritten written)
{
    // The current variables are the payload, as in every request that
    // carries no set of its own.
    CopyVarsToPP();
    int r = Exchange(from == EEPROM ? CMD_READ_EEPROM : CMD_READ_RAM, pp, REPLY_FRAME, TIMEOUT,
                     EX_EVENTS, written);
    if (r == EX_REPLY) GetRxBuf(PNUM);
    return r;
}
