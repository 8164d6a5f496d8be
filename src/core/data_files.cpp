#include "core/data_files.h"

#include "core/core_state.h"

namespace qv {

namespace {
const std::string& Dir(char letter) {
    switch (letter) {
        case 'P':
            return CoreState.ProgramDir;
        case 'A':
            return CoreState.ArchiveDir;
        case 'X':
            return CoreState.OtherArchiveDir;
        case 'S':
            return CoreState.DesignerDir;
        default:
            return MapState.TerritoryDir;
    }
}
}  // namespace

std::string DataFilePath(int32_t id) {
    switch (id) {
        case 3:
            return Dir('P') + "sig-xsig.dat";
        case 4:
            return Dir('A') + "alf-sch.dat";
        case 5:
            return Dir('A') + "num-sch.dat";
        case 6:
            return Dir('A') + "cfs-sch.imp";
        case 7:
            return Dir('A') + "cfs-cont.txt";
        case 8:
            return Dir('A') + "dli-sch.dat";
        case 10:
            return Dir('A') + "dli-dat.dat";
        case 11:
            return Dir('A') + "ter-dat.dat";
        case 12:
            return Dir('T') + "kel-trad.dat";
        case 13:
            return Dir('P') + "tgl-glar.dat";
        case 14:
            return Dir('P') + "tg1-glar.dat";
        case 15:
            return Dir('P') + "opz-glar.dat";
        case 16:
            return Dir('P') + "op1-glar.dat";
        case 17:
            return Dir('P') + "sel-glar.dat";
        case 18:
            return Dir('A') + "inf-sch.dat";
        case 20:
            return Dir('A') + "imp-sch.dat";
        case 21:
            return Dir('A') + "sig-sch.dat";
        case 22:
            return Dir('A') + "md2-sch.dat";
        case 23:
            return Dir('A') + "mod-sch.dat";
        case 24:
            return Dir('A') + "dat-sch.dat";
        case 25:
            return Dir('A') + "trd-tres.dat";
        case 26:
            return Dir('A') + "trc-tres.dat";
        case 28:
            return Dir('P') + "lst-kel.txt";
        case 29:
            return Dir('P') + "ok-mouse.dat";
        case 30:
            return Dir('A') + "sal-sch.imp";
        case 31:
            return Dir('A') + "lkt-sch.imp";
        case 32:
            return Dir('P') + "dir-edit.imp";
        case 33:
            return Dir('A') + "lnk-sch.dat";
        case 34:
            return Dir('A') + "fat-sch.dat";
        case 35:
            return Dir('A') + "saf-sch.imp";
        case 36:
            return Dir('P') + "tabella.txt";
        case 37:
            return Dir('A') + "grl-sch.txt";
        case 38:
            return Dir('A') + "brt-sch.dat";
        case 39:
            return Dir('A') + "cor-sch.dat";
        case 40:
            return Dir('A') + "maf-sch.dat";
        case 41:
            return Dir('A') + "fat-fatt.dat";
        case 42:
            return Dir('A') + "tipi.txt";
        case 43:
            return Dir('A') + "grq-sch.txt";
        case 44:
            return Dir('P') + "ini-prov.imp";
        case 45:
            return Dir('P') + "cmn-zor2.dat";
        case 46:
            return Dir('P') + "di-alfac.dat";
        case 49:
            return Dir('P') + "sig-dat.imp";
        case 50:
            return Dir('A') + "logo.bmp";
        case 51:
            return Dir('A') + "inf-colo.dat";
        case 52:
            return Dir('X') + "alf-sch.dat";
        case 53:
            return Dir('X') + "num-sch.dat";
        case 54:
            return Dir('P') + "tresca.txt";
        case 55:
            return Dir('A') + "ric-sch.imp";
        case 56:
            return Dir('P') + "dialer.txt";
        case 57:
            return Dir('P') + "dialer.imp";
        case 58:
            return Dir('A') + "grl-dat.txt";
        case 59:
            return Dir('A') + "agg-dat.txt";
        case 60:
            return Dir('A') + "tin-sch.txt";
        case 61:
            return Dir('A') + "tin-dat.txt";
        case 63:
            return Dir('P') + "pxx-dat.imp";
        case 64:
            return Dir('A') + "ms-maxsm.";
        case 65:
            return Dir('P') + "commento.txt";
        case 66:
            return Dir('A') + "ok-lista.dat";
        case 67:
            return Dir('A') + "tx2-sch.dat";
        case 68:
            return Dir('A') + "tab-sch.dat";
        case 69:
            return Dir('P') + "chi2.imp";
        case 70:
            return Dir('S') + "scheda.txt";
        case 71:
            return Dir('P') + "txt-tab2.imp";
        case 72:
            return Dir('S') + "sig-sch.dat";
        case 75:
            return Dir('S') + "inf-sch.dat";
        case 76:
            return Dir('S') + "dat-sch.dat";
        case 77:
            return Dir('S') + "num-sch.dat";
        case 78:
            return Dir('S') + "alf-sch.dat";
        case 79:
            return Dir('S') + "dli-sch.dat";
        case 80:
            return Dir('S') + "morvidex.dat";
        case 82:
            return Dir('S') + "lst-fatt.imp";
        case 83:
            return Dir('A') + "dat-dat.dat";
        case 84:
            return Dir('A') + "cor-dat.dat";
        case 85:
            return Dir('A') + "fat-dat.dat";
        case 86:
            return Dir('A') + "saf-dat.dat";
        case 87:
            return Dir('A') + "maf-dat.dat";
        case 88:
            return Dir('A') + "num-dat.dat";
        case 89:
            return Dir('A') + "grq-dat.txt";
        case 90:
            return Dir('A') + "grt-dat.txt";
        case 91:
            return Dir('A') + "grd-dat.txt";
        case 92:
            return Dir('A') + "lnk-dat.imp";
        case 93:
            return Dir('P') + "txt-tre2.imp";
        case 94:
            return Dir('A') + "lnk-dat.";
        case 95:
            return Dir('A') + "ll-dat.";
        case 96:
            return Dir('A') + "trx-dat.dat";
        case 97:
            return Dir('A') + "mas-dat.txt";
        case 98:
            return Dir('A') + "not-sch.dat";
        case 99:
            return Dir('P') + "lista.txt";
        case 100:
            return Dir('A') + "ddd-dat.dat";
        case 101:
            return Dir('X') + "dli-sch.dat";
        case 102:
            return Dir('A') + "cnd-dat.dat";
        case 103:
            return Dir('A') + "tab-dat.txt";
        case 104:
            return Dir('A') + "ri2-dat.txt";
        case 105:
            return Dir('P') + "email.txt";
        case 106:
            return Dir('A') + "inf-serv.imp";
        case 107:
            return Dir('A') + "province.txt";
        case 108:
            return Dir('A') + "indicato.txt";
        case 109:
            return Dir('A') + "ind2.txt";
        case 110:
            return Dir('P') + "controll.txt";
        case 111:
            return Dir('A') + "2-sch.dat";
        case 112:
            return Dir('A') + "qnc-sch.dat";
        case 113:
            return Dir('A') + "qnt-sch.dat";
        case 114:
            return Dir('A') + "qnq-sch.dat";
        case 115:
            return Dir('A') + "scr-sch.dat";
        case 116:
            return Dir('P') + "mrg-sch.dat";
        case 117:
            return Dir('P') + "dli-list.dat";
        case 118:
            return Dir('A') + "ti0-sch.dat";
        case 119:
            return Dir('A') + "ap1-sch.txt";
        case 120:
            return Dir('A') + "trc-dat.txt";
        case 121:
            return Dir('A') + "ricod.txt";
        case 122:
            return Dir('P') + "etichett.txt";
        case 123:
            return Dir('A') + "mrg-list.txt";
        case 124:
            return Dir('A') + "universo.txt";
        case 125:
            return Dir('A') + "pesi.txt";
        case 126:
            return Dir('A') + "nin-sch.txt";
        case 127:
            return Dir('A') + "asq-sch2.txt";
        case 128:
            return Dir('T') + "leg-colo.dat";
        case 129:
            return Dir('A') + "archbase.txt";
        case 130:
            return Dir('P') + "mod-list.txt";
        case 131:
            return Dir('A') + "lst-help.txt";
        case 132:
            return Dir('X') + "sig-sch.dat";
        case 133:
            return Dir('X') + "lif-sch.dat";
        case 134:
            return Dir('X') + "lpn-sch.dat";
        case 135:
            return Dir('X') + "lsg-sch.dat";
        case 136:
            return Dir('A') + "maxsimff.txt";
        case 137:
            return Dir('A') + "var-maxs.dat";
        case 138:
            return Dir('A') + "mat-maxs.dat";
        case 139:
            return Dir('A') + "sq1-max1.dat";
        case 140:
            return Dir('A') + "sq1-max2.dat";
        case 141:
            return Dir('A') + "sq2-max1.dat";
        case 142:
            return Dir('A') + "sq2-max2.dat";
        case 143:
            return Dir('A') + "ms1-maxs.dat";
        case 144:
            return Dir('A') + "ms2-maxs.dat";
        case 145:
            return Dir('A') + "ms3-maxs.dat";
        case 146:
            return Dir('A') + "ms4-maxs.dat";
        case 147:
            return Dir('A') + "maxsim.txt";
        case 148:
            return Dir('A') + "maxsim1.txt";
        case 149:
            return Dir('A') + "maxsim2.txt";
        case 150:
            return Dir('T') + "mod-zor.dat";
        case 151:
            return Dir('T') + "lst-sigl.txt";
        case 152:
            return Dir('T') + "sig-zor2.txt";
        case 153:
            return Dir('P') + "sfo-glar.dat";
        case 154:
            return Dir('P') + "dm1-glar.dat";
        case 155:
            return Dir('T') + "1-zor.dat";
        case 156:
            return Dir('T') + "2-zor.dat";
        case 157:
            return Dir('T') + "3-zor.dat";
        case 158:
            return Dir('T') + "4-zor.dat";
        case 159:
            return Dir('T') + "5-zor.dat";
        case 160:
            return Dir('T') + "6-zor.dat";
        case 161:
            return Dir('T') + "7-zor.dat";
        case 162:
            return Dir('T') + "8-zor.dat";
        case 163:
            return Dir('T') + "dov-zor.dat";
        case 164:
            return Dir('T') + "mmx-zor.dat";
        case 165:
            return Dir('T') + "inf-stam.txt";
        case 166:
            return Dir('A') + "alf-supp.dat";
        case 167:
            return Dir('A') + "lor-sch.dat";
        case 168:
            return Dir('A') + "lsg-sch.dat";
        case 169:
            return Dir('A') + "lor-sch.dat";
        case 170:
            return Dir('A') + "lpn-sch.dat";
        case 171:
            return Dir('A') + "lif-sch.dat";
        case 172:
            return Dir('A') + "rec-trac.txt";
        case 173:
            return Dir('A') + "ascii.txt";
        case 174:
            return Dir('P') + "var.txt";
        case 175:
            return Dir('P') + "modalita.txt";
        case 176:
            return Dir('T') + "ter-zor.dat";
        case 178:
            return Dir('A') + "bak-sch.dat";
        case 179:
            return Dir('P') + "car-cart.dat";
        case 180:
            return Dir('P') + "dli-poli.dat";
        case 181:
            return Dir('P') + "zor3.txt";
        case 182:
            return Dir('A') + "saf-fatt.dat";
        case 183:
            return Dir('T') + "car-tres.dat";
        case 184:
            return Dir('A') + "tab-dat.";
        case 185:
            return Dir('A') + "gma-dat.dat";
        case 193:
            return MapState.TerritoryDir + CoreState.OtherArchiveDir + ".txt";
        case 201:
            return Dir('T') + "dli-poli.dat";
        case 202:
            return Dir('T') + "cmn-zor2.dat";
        case 204:
            return Dir('A') + "num-serv.imp";
        case 205:
            return Dir('P') + "cartella.txt";
        case 206:
            return Dir('A') + "morvidex.dat";
        case 207:
            return Dir('X') + "dli-sch.dat";
        case 208:
            return Dir('P') + "emailtxt.txt";
        case 209:
            return Dir('P') + "emailogg.txt";
        case 210:
            return Dir('A') + "scheda.txt";
        default:
            return {};
    }
}

}  // namespace qv
