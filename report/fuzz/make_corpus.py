#!/usr/bin/env python3
# Writes the seed corpora of the page store fuzz targets: saved-report files
# laid out byte by byte (plain, compressed, older header, empty) and coded
# pages for the decoder, with a coder written here apart from the C++ one.
# Run from this folder: ./make_corpus.py corpus
import struct, random, os, sys
def coder(data):
    up=[0]*513; left=[0]*256; right=[0]*256
    for i in range(1,513): up[i]=(i-1)//2
    for i in range(256): left[i]=2*i+1; right[i]=2*i+2
    out=bytearray(); bitpos=0; ob=0
    def splay(b):
        a=b+256
        while True:
            p=up[a]
            if p==0: return
            g=up[p]
            if left[g]==p: s=right[g]; right[g]=a
            else: s=left[g]; left[g]=a
            if left[p]==a: left[p]=s
            else: right[p]=s
            up[a]=g; up[s]=p
            if g==0: return
            a=g
    for b in data:
        path=[]; a=b+256
        while a!=0:
            p=up[a]; path.append(1 if right[p]==a else 0); a=p
        for bit in reversed(path):
            if bit: ob|=1<<bitpos
            if bitpos==7: out.append(ob); ob=0; bitpos=0
            else: bitpos+=1
        splay(b)
    if bitpos: out.append(ob)
    return bytes(out)
def emf(w,h,payload=0,seed=1):
    r=random.Random(seed)
    hdr=bytearray(88)
    struct.pack_into('<ii',hdr,0,1,88); struct.pack_into('<iiii',hdr,8,0,0,w-1,h-1)
    struct.pack_into('<iiii',hdr,24,0,0,(w*2540+48)//96,(h*2540+48)//96)
    struct.pack_into('<I',hdr,40,0x464D4520); struct.pack_into('<I',hdr,44,0x10000)
    recs=bytearray()
    if payload:
        pad=(payload+3)//4*4
        c=bytearray(12+pad); struct.pack_into('<iii',c,0,70,12+pad,payload)
        for i in range(payload): c[12+i]=r.choice(b'questao resposta 0000')
        recs+=c
    eof=bytearray(20); struct.pack_into('<iiiii',eof,0,14,20,0,16,20)
    total=88+len(recs)+20
    struct.pack_into('<I',hdr,48,total); struct.pack_into('<I',hdr,52,3 if payload else 2); struct.pack_into('<H',hdr,56,1)
    return bytes(hdr+recs+eof)
def build(pages, compressed, old=False, count=None):
    hl=124 if old else 128
    f=bytearray(hl); struct.pack_into('<HH',f,0,3,309)
    struct.pack_into('<i',f,8,len(pages) if count is None else count)
    struct.pack_into('<d',f,12 if old else 16,46364.5)
    f[21 if old else 25]=1 if compressed else 0
    for i,p in enumerate(pages):
        d=struct.pack('<i',len(p))+coder(p) if compressed else p
        start=len(f); f+=struct.pack('<ii',i+1,start+12+len(d))+d+struct.pack('<i',start)
    return bytes(f)
if sys.argv[1]=='check':
    print(coder(bytes(6)).hex(), coder(bytes([255])).hex(), coder(b'Qual destas alternativas'*40).hex()[:80])
    sys.exit()
base=sys.argv[1]
sr=os.path.join(base,'saved_report'); dc=os.path.join(base,'decompress')
seeds={
 'one_page_plain.rpp': build([emf(1123,794,200,1)],False),
 'three_pages_plain.rpp': build([emf(1123,794,64,i) for i in range(3)],False),
 'two_pages_compressed.rpp': build([emf(794,1123,300,7),emf(794,1123,100,8)],True),
 'older_header.rpp': build([emf(1123,794,32,3),emf(1123,794,16,4)],False,True),
 'older_header_compressed.rpp': build([emf(1123,794,32,3)],True,True),
 'empty_report.rpp': build([],False),
}
for n,b in seeds.items(): open(os.path.join(sr,n),'wb').write(b)
for n,d in {'zeros':bytes(40),'text':b'Qual destas alternativas esta correta? '*4,'page':emf(100,100,120,2)}.items():
    open(os.path.join(dc,n),'wb').write(struct.pack('<i',len(d))+coder(d))
